#include "app/ui/Artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor accent(0x4f, 0x6b, 0xed);

// The artwork's own grid: a 64-unit-high stick, its plug on top.
QPainterPath stickPath() {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRoundedRect(QRectF(4, 24, 28, 40), 6, 6);
    path.addEllipse(QPointF(18, 36), 3.5, 3.5);
    QPainterPath plug;
    plug.addRoundedRect(QRectF(8, 0, 20, 22), 2.5, 2.5);
    plug.addRect(QRectF(11, 3, 14, 16));
    path.addPath(plug);
    path.addRect(QRectF(12.5, 6, 4, 5));
    path.addRect(QRectF(19.5, 6, 4, 5));
    return path;
}

QPixmap tile(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, accent);
    QColor faded = accent;
    faded.setAlphaF(0.7);
    fill.setColorAt(1, faded);
    const qreal inset = size / 16.0;
    const QRectF box(inset, inset, size - 2 * inset, size - 2 * inset);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, size / 5.0, size / 5.0);
    Artwork::paintGlyph(painter, box.adjusted(0, size / 6.0, 0, -size / 6.0), Qt::white);
    return pixmap;
}

} // namespace

void Artwork::paintGlyph(QPainter& painter, const QRectF& rect, const QColor& color) {
    const QPainterPath path = stickPath();
    const QRectF bounds = path.boundingRect();
    const qreal scale = rect.height() / bounds.height();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - bounds.width() * scale / 2, rect.top());
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path);
    painter.restore();
}

QPixmap Artwork::glyph(int size, const QColor& color, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintGlyph(painter, QRectF(0, 0, size, size), color);
    return pixmap;
}

QIcon Artwork::application() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128, 256})
        icon.addPixmap(tile(size));
    return icon;
}

QColor Artwork::dotColor(DotState state) {
    switch (state) {
    case DotState::Connected:
        return QColor(0x34, 0xc7, 0x59);
    case DotState::Busy:
        return QColor(0xff, 0x95, 0x00);
    case DotState::Idle:
        break;
    }
    return QColor(0x8e, 0x8e, 0x93);
}

QIcon Artwork::tray(DotState state, bool darkPanel) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor glyphColor = darkPanel ? Qt::white : Qt::black;
        // Dimmed while nothing is connected, as a panel shows an inactive item.
        glyphColor.setAlphaF(state == DotState::Connected ? 1.0 : 0.7);
        paintGlyph(painter, QRectF(0, 0, size, size), glyphColor);
        const qreal diameter = size * 8.0 / 22.0;
        const QRectF dot(size - diameter, 0, diameter, diameter);
        QColor ring = darkPanel ? Qt::black : Qt::white;
        ring.setAlphaF(0.85);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ring);
        painter.drawEllipse(dot);
        painter.setBrush(dotColor(state));
        const qreal inset = diameter * 1.2 / 8.0;
        painter.drawEllipse(dot.adjusted(inset, inset, -inset, -inset));
        icon.addPixmap(pixmap);
    }
    return icon;
}

namespace {
QPixmap canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}
} // namespace

QPixmap Artwork::page(int size, const QColor& color, bool filled, PageMark mark) {
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 24.0, size / 24.0);
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(14, 2);
    page.lineTo(19, 7);
    page.lineTo(19, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    const QColor markColor = filled ? QColor(Qt::white) : color;
    if (filled) {
        painter.fillPath(page, color);
    } else {
        painter.setPen(QPen(color, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(page);
    }
    painter.setPen(QPen(markColor, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (mark) {
    case PageMark::None:
        break;
    case PageMark::Arrow: {
        const QPointF head[] = {{8.5, 13.5}, {12, 17}, {15.5, 13.5}};
        painter.drawLine(QPointF(12, 8), QPointF(12, 17));
        painter.drawPolyline(head, 3);
        break;
    }
    case PageMark::Ellipsis:
        painter.setPen(Qt::NoPen);
        painter.setBrush(markColor);
        for (qreal x : {8.5, 12.0, 15.5})
            painter.drawEllipse(QPointF(x, 15), 1.2, 1.2);
        break;
    }
    return pixmap;
}

QPixmap Artwork::checkMark(int size, const QColor& color) {
    QPixmap pixmap = canvas(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, size, size));
    painter.setPen(QPen(Qt::white, size / 9.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF points[] = {
        {size * 0.28, size * 0.52}, {size * 0.44, size * 0.68}, {size * 0.73, size * 0.35}};
    painter.drawPolyline(points, 3);
    return pixmap;
}
