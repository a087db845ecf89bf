#include "app/ui/FilesSection.h"

#include "app/core/StickModel.h"
#include "app/ui/DesignRow.h"
#include "app/ui/Look.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

FilesSection::FilesSection(StickModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_search(new QLineEdit(this))
    , m_empty(Look::label(QString(), this))
    , m_layout(new QVBoxLayout(this)) {
    auto* title = new QLabel(tr("On the stick"));
    QFont bold = title->font();
    bold.setWeight(QFont::DemiBold);
    title->setFont(bold);
    auto* reload = new QToolButton;
    reload->setAutoRaise(true);
    reload->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    reload->setToolTip(tr("Reload the file list"));
    reload->setAccessibleName(tr("Reload the file list"));
    connect(reload, &QToolButton::clicked, this, [this] { m_model.refreshList(); });
    auto* header = new QHBoxLayout;
    header->addWidget(title, 1);
    header->addWidget(reload);

    m_search->setPlaceholderText(tr("Search"));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, &FilesSection::rebuild);
    Look::makeSecondary(m_empty);

    m_layout->setContentsMargins(0, 8, 0, 0);
    m_layout->setSpacing(8);
    m_layout->addLayout(header);
    m_layout->addWidget(m_search);
    m_layout->addWidget(m_empty);

    connect(&m_model, &StickModel::designsChanged, this, &FilesSection::rebuild);
    connect(&m_model, &StickModel::listFailedChanged, this, &FilesSection::rebuild);
    connect(&m_model, &StickModel::isDeletingChanged, this, &FilesSection::rebuild);
    connect(&m_model, &StickModel::thumbnailsChanged, this, &FilesSection::rebuild);
    connect(&m_model, &StickModel::infoChanged, this, &FilesSection::refreshVisibility);
    connect(&m_model, &StickModel::stepChanged, this, &FilesSection::refreshVisibility);
    rebuild();
    refreshVisibility();
}

void FilesSection::refreshVisibility() {
    const Step& step = m_model.step();
    const bool atRest = step.is<Step::Ready>() || step.is<Step::Replace>() ||
                        step.is<Step::Done>() || step.is<Step::Failed>();
    setVisible(m_model.info().has_value() && atRest);
}

void FilesSection::rebuild() {
    if (m_rows) {
        m_rows->hide();
        m_rows->deleteLater();
    }
    m_rows = new QWidget(this);
    auto* rows = new QVBoxLayout(m_rows);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    m_layout->addWidget(m_rows);

    const QList<StickDesign>& designs = m_model.designs();
    const QString query = m_search->text().trimmed();
    int shown = 0;
    if (!m_model.listFailed()) {
        for (const StickDesign& design : designs) {
            if (!query.isEmpty() && !design.name.contains(query, Qt::CaseInsensitive))
                continue;
            auto* row = new DesignRow(design, m_model.thumbnail(design));
            row->setEnabled(!m_model.isDeleting());
            connect(row, &DesignRow::deleteRequested, this, &FilesSection::deleteRequested);
            rows->addWidget(row);
            ++shown;
        }
    }
    if (m_model.listFailed())
        m_empty->setText(tr("The list could not be read from the stick."));
    else if (designs.isEmpty())
        m_empty->setText(tr(
            "The stick is empty. Drop a file here, or send a design from Brindle on your iPad."));
    else if (shown == 0)
        m_empty->setText(tr("No design with that name."));
    else
        m_empty->clear();
    m_empty->setVisible(!m_empty->text().isEmpty());
    m_rows->show();
}

QStringList FilesSection::shownDesigns() const {
    QStringList names;
    for (const DesignRow* row : m_rows->findChildren<DesignRow*>())
        names << row->design().name;
    return names;
}

QString FilesSection::emptyText() const {
    return m_empty->text();
}
