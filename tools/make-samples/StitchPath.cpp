#include "StitchPath.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QList<QPoint> divide(QPoint from, QPoint to, int parts) {
    QList<QPoint> points;
    for (int i = 1; i <= parts; ++i)
        points.append(QPoint(int(std::lround(from.x() + double(to.x() - from.x()) * i / parts)),
                             int(std::lround(from.y() + double(to.y() - from.y()) * i / parts))));
    return points;
}

} // namespace

void StitchPath::jumpTo(QPoint target, int maxStep) {
    const QPoint delta = target - end();
    const int parts = (std::max(std::abs(delta.x()), std::abs(delta.y())) + maxStep - 1) / maxStep;
    for (const QPoint& point : divide(end(), target, parts))
        steps.append({Kind::Jump, point});
}

void StitchPath::stitchTo(QPoint target, int maxLength) {
    const QPoint delta = target - end();
    const int parts = int(std::ceil(std::hypot(delta.x(), delta.y()) / maxLength));
    for (const QPoint& point : divide(end(), target, parts))
        steps.append({Kind::Stitch, point});
}

void StitchPath::changeColor() {
    steps.append({Kind::ColorChange, end()});
}

QPoint StitchPath::end() const {
    return steps.isEmpty() ? QPoint() : steps.last().position;
}

QRect StitchPath::bounds() const {
    QRect box{QPoint(), QPoint()};
    for (const Step& step : steps)
        box = box.united(QRect(step.position, step.position));
    return box;
}

int StitchPath::colorChanges() const {
    return int(std::count_if(steps.begin(), steps.end(),
                             [](const Step& step) { return step.kind == Kind::ColorChange; }));
}

QImage StitchPath::preview(QSize size, const QList<QColor>& threads) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect box = bounds();
    const double margin = 0.08 * std::min(size.width(), size.height());
    const double scale = std::min((size.width() - 2 * margin) / std::max(box.width() - 1, 1),
                                  (size.height() - 2 * margin) / std::max(box.height() - 1, 1));
    // Centred, with y flipped: the machine's y grows upwards, the picture's downwards.
    const auto toImage = [&](QPoint p) {
        return QPointF(size.width() / 2.0 + (p.x() - box.center().x()) * scale,
                       size.height() / 2.0 - (p.y() - box.center().y()) * scale);
    };
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    int thread = 0;
    QPoint previous;
    for (const Step& step : steps) {
        if (step.kind == Kind::ColorChange)
            ++thread;
        if (step.kind == Kind::Stitch) {
            painter.setPen(QPen(threads.value(thread % threads.size()), 2.5, Qt::SolidLine,
                                Qt::RoundCap, Qt::RoundJoin));
            painter.drawLine(toImage(previous), toImage(step.position));
        }
        previous = step.position;
    }
    return image;
}
