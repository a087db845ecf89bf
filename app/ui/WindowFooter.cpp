#include "app/ui/WindowFooter.h"

#include "app/core/Desktop.h"
#include "app/core/StickModel.h"
#include "app/ui/FirmwareVersion.h"
#include "app/ui/Look.h"
#include "app/ui/MakerSite.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

WindowFooter::WindowFooter(StickModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_version(new QLabel(this))
    , m_update(new QPushButton(this)) {
    m_version->setTextFormat(Qt::PlainText);
    Look::makeCaption(m_version);
    Look::makeSecondary(m_version);
    Look::makeCaption(m_update);
    Look::makeLink(m_update);
    m_update->setText(QStringLiteral("↓ ") + tr("Firmware %1").arg(FirmwareVersion::recommended()));
    connect(m_update, &QPushButton::clicked, this,
            [] { Desktop::openUrl(MakerSite::firmwareHelp()); });

    auto* iPad = new QPushButton(QStringLiteral("✎ ") + tr("Design on iPad with Brindle"), this);
    Look::makeCaption(iPad);
    Look::makeLink(iPad);
    connect(iPad, &QPushButton::clicked, this, [] { Desktop::openUrl(MakerSite::home()); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 10, 20, 10);
    layout->addWidget(m_version);
    layout->addWidget(m_update);
    layout->addStretch();
    layout->addWidget(iPad);

    connect(&m_model, &StickModel::infoChanged, this, &WindowFooter::refresh);
    refresh();
}

void WindowFooter::refresh() {
    const auto& info = m_model.info();
    const bool outdated = info && FirmwareVersion::isOutdated(info->firmwareVersion);
    m_update->setVisible(outdated);
    m_version->setVisible(!outdated);
    if (info)
        m_version->setText(tr("Firmware %1").arg(info->firmwareVersion));
    else
        m_version->setText(tr("Brindle Stick %1").arg(QCoreApplication::applicationVersion()));
}

QString WindowFooter::versionText() const {
    return offersUpdate() ? m_update->text() : m_version->text();
}

bool WindowFooter::offersUpdate() const {
    return !m_update->isHidden();
}
