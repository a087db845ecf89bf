#include "app/ui/StickHeader.h"

#include "app/core/StickModel.h"
#include "app/ui/Artwork.h"
#include "app/ui/Look.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int tileSize = 40;
constexpr int dotSize = 10;

QPixmap tilePixmap(qreal ratio) {
    QPixmap pixmap(QSize(tileSize, tileSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, tileSize);
    QColor faded = Look::accent();
    faded.setAlphaF(0.7);
    fill.setColorAt(0, Look::accent());
    fill.setColorAt(1, faded);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0, 0, tileSize, tileSize), 9, 9);
    Artwork::paintGlyph(painter, QRectF(7, 6, tileSize - 14, tileSize - 12), Qt::white);
    return pixmap;
}

// The step's colour: orange while something is under way, green with a usable stick, red after
// a failure, grey once the stick is let go.
QColor stepColor(const Step& step) {
    if (step.is<Step::Ready>() || step.is<Step::Replace>() || step.is<Step::Done>())
        return Artwork::dotColor(DotState::Connected);
    if (step.is<Step::Failed>())
        return QColor(0xff, 0x3b, 0x30);
    if (step.is<Step::Released>())
        return Artwork::dotColor(DotState::Idle);
    return Artwork::dotColor(DotState::Busy);
}

QPixmap dotPixmap(const QColor& color, qreal ratio) {
    QPixmap pixmap(QSize(dotSize, dotSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, dotSize, dotSize));
    return pixmap;
}

} // namespace

StickHeader::StickHeader(StickModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_title(new QLabel(this))
    , m_status(new QLabel(this))
    , m_dot(new QLabel(this)) {
    auto* tile = new QLabel(this);
    tile->setPixmap(tilePixmap(devicePixelRatioF()));
    tile->setFixedSize(tileSize, tileSize);
    m_title->setTextFormat(Qt::PlainText);
    m_status->setTextFormat(Qt::PlainText);
    Look::makeTitle(m_title);
    Look::makeCallout(m_status);
    Look::makeSecondary(m_status);
    m_status->setWordWrap(true);
    m_dot->setFixedSize(dotSize, dotSize);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(m_title);
    texts->addWidget(m_status);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 14, 20, 14);
    layout->setSpacing(12);
    layout->addWidget(tile, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    layout->addWidget(m_dot, 0, Qt::AlignVCenter);

    for (auto signal :
         {&StickModel::infoChanged, &StickModel::stepChanged, &StickModel::statusLineChanged})
        connect(&m_model, signal, this, &StickHeader::refresh);
    refresh();
}

QString StickHeader::title() const {
    return m_title->text();
}

QString StickHeader::statusLine() const {
    return m_status->text();
}

void StickHeader::refresh() {
    const auto& info = m_model.info();
    m_title->setText(info ? info->deviceName : tr("Brindle Stick"));
    m_status->setText(m_model.statusLine());
    m_dot->setPixmap(dotPixmap(stepColor(m_model.step()), devicePixelRatioF()));
    m_dot->setToolTip(m_model.statusLine());
    fitStatus();
}

void StickHeader::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitStatus();
}

void StickHeader::fitStatus() {
    // A wrapped label in a row gets only its one-line height from the layout; the securing text
    // takes two or three lines.
    if (m_status->width() > 0)
        m_status->setMinimumHeight(m_status->heightForWidth(m_status->width()));
}
