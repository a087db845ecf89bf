#include "app/ui/DesignRow.h"

#include "SendKit/files/StickFileName.h"
#include "app/core/StickAge.h"
#include "app/core/StickMessages.h"
#include "app/ui/Artwork.h"
#include "app/ui/Look.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int thumbnailSide = 32;
} // namespace

DesignRow::DesignRow(StickDesign design, const QImage& thumbnail, QWidget* parent)
    : QWidget(parent)
    , m_design(std::move(design))
    , m_showsThumbnail(!thumbnail.isNull()) {
    auto* symbol = new QLabel;
    if (m_showsThumbnail) {
        symbol->setPixmap(Look::picture(thumbnail, thumbnailSide));
    } else {
        symbol->setPixmap(
            m_design.isOrphan()
                ? Artwork::page(24, Look::secondary(this), false, Artwork::PageMark::Ellipsis)
                : Artwork::page(24, Look::accent(), true, Artwork::PageMark::None));
        // Rows with and without a picture keep their names in one column.
        symbol->setFixedWidth(thumbnailSide);
        symbol->setAlignment(Qt::AlignCenter);
    }

    auto* name = new QLabel(m_design.name);
    name->setTextFormat(Qt::PlainText);

    auto* details = new QHBoxLayout;
    details->setSpacing(4);
    QStringList tags;
    for (const StickFileEntry& file : m_design.files()) {
        const QString extension = StickFileName::extension(file.name()).toUpper();
        tags << extension;
        auto* tag = new QLabel(extension);
        tag->setStyleSheet(QStringLiteral("QLabel { background: palette(midlight); border-radius: "
                                          "4px; padding: 0px 4px; font-weight: 600; }"));
        Look::makeCaption(tag);
        details->addWidget(tag);
    }
    m_detail = StickMessages::byteCount(m_design.totalSize());
    if (const auto age = StickAge::text(m_design.newest(), QDateTime::currentDateTime()))
        m_detail += QStringLiteral(" · ") + *age;
    auto* detail = new QLabel(m_detail);
    Look::makeCaption(detail);
    Look::makeSecondary(detail);
    details->addSpacing(2);
    details->addWidget(detail);
    details->addStretch();

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(name);
    texts->addLayout(details);

    auto* trash = new QToolButton;
    trash->setAutoRaise(true);
    trash->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    trash->setToolTip(tr("Delete from the stick"));
    trash->setAccessibleName(tr("Delete from the stick"));
    connect(trash, &QToolButton::clicked, this, [this] { emit deleteRequested(m_design); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 6, 4, 6);
    layout->setSpacing(10);
    layout->addWidget(symbol, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    layout->addWidget(trash, 0, Qt::AlignVCenter);
    m_detail = tags.join(u' ') + QStringLiteral(" ") + m_detail;
}

QString DesignRow::detail() const {
    return m_detail;
}

void DesignRow::contextMenuEvent(QContextMenuEvent* event) {
    if (!isEnabled())
        return;
    QMenu menu(this);
    menu.addAction(tr("Delete from the Stick"), this, [this] { emit deleteRequested(m_design); });
    menu.exec(event->globalPos());
}
