#include "app/ui/Spinner.h"

#include "app/ui/Look.h"

#include <QPainter>

namespace {
constexpr int spokes = 12;
}

Spinner::Spinner(QWidget* parent)
    : QWidget(parent) {
    setFixedSize(sizeHint());
    m_timer.setInterval(80);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 1) % spokes;
        update();
    });
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal radius = std::min(width(), height()) / 2.0;
    QColor color = Look::secondary(this);
    for (int i = 0; i < spokes; ++i) {
        // The spoke at the wheel's front is darkest; the others fade behind it.
        color.setAlphaF(0.15 + 0.75 * ((i + spokes - m_angle) % spokes) / (spokes - 1.0));
        painter.setPen(QPen(color, radius / 4.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius * 0.9));
        painter.rotate(360.0 / spokes);
    }
}

void Spinner::showEvent(QShowEvent*) {
    m_timer.start();
}

void Spinner::hideEvent(QHideEvent*) {
    m_timer.stop();
}
