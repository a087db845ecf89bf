#include "app/ui/Look.h"

#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>

namespace {
void scaleFont(QWidget* widget, qreal factor, bool bold = false) {
    QFont font = widget->font();
    font.setPointSizeF(font.pointSizeF() * factor);
    if (bold)
        font.setWeight(QFont::DemiBold);
    widget->setFont(font);
}
} // namespace

QColor Look::accent() {
    return QColor(0x4f, 0x6b, 0xed);
}

QColor Look::secondary(const QWidget* widget) {
    QColor color = widget->palette().color(QPalette::WindowText);
    color.setAlphaF(0.6);
    return color;
}

QLabel* Look::label(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    // Names come from the stick and from files: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void Look::makeSecondary(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, secondary(widget));
    palette.setColor(QPalette::Text, secondary(widget));
    widget->setPalette(palette);
}

void Look::makeCallout(QWidget* widget) {
    scaleFont(widget, 0.95);
}

void Look::makeCaption(QWidget* widget) {
    scaleFont(widget, 0.85);
}

void Look::makeTitle(QWidget* widget) {
    scaleFont(widget, 1.35, true);
}

void Look::makeLink(QPushButton* button) {
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, accent());
    button->setPalette(palette);
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"));
}

QPixmap Look::picture(const QImage& image, int side) {
    const qreal density = 2;
    QPixmap pixmap = QPixmap::fromImage(image.scaled(
        int(side * density), int(side * density), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(density);
    QPainter painter(&pixmap);
    QColor edge = Qt::black;
    edge.setAlphaF(0.15);
    painter.setPen(QPen(edge, 1));
    painter.drawRect(QRectF(0.5, 0.5, side - 1, side - 1));
    return pixmap;
}
