#include "app/picture/DesignPicture.h"

#include "SendKit/designs/StitchDesign.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

// Distinct on white and from each other, for files that name no thread colours.
const QList<QColor> standIns{QColor(0x20, 0x4A, 0x87), QColor(0xA4, 0x00, 0x00),
                             QColor(0x4E, 0x9A, 0x06), QColor(0xC4, 0xA0, 0x00),
                             QColor(0x5C, 0x35, 0x66), QColor(0xCE, 0x5C, 0x00)};

QColor threadColor(const StitchDesign& design, int block) {
    if (design.threadColors.isEmpty())
        return standIns[block % standIns.size()];
    return QColor::fromRgb(design.threadColors[block % design.threadColors.size()]);
}

} // namespace

QImage DesignPicture::draw(const StitchDesign& design, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect box = design.extents();
    const double margin = 0.05 * std::min(size.width(), size.height());
    const double scale = std::min((size.width() - 2 * margin) / std::max(box.width() - 1, 1),
                                  (size.height() - 2 * margin) / std::max(box.height() - 1, 1));
    const QPointF centre =
        QRectF(box.left(), box.top(), box.width() - 1, box.height() - 1).center();
    // The design's y grows upwards, the picture's downwards.
    const auto toImage = [&](QPoint point) {
        return QPointF(size.width() / 2.0 + (point.x() - centre.x()) * scale,
                       size.height() / 2.0 - (point.y() - centre.y()) * scale);
    };
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Lines go to the painter a colour block at a time: a pen per stitch makes a design of a
    // million stitches take seconds.
    std::vector<QLineF> lines;
    int block = 0;
    const auto flush = [&] {
        if (lines.empty())
            return;
        painter.setPen(QPen(threadColor(design, block), std::max(1.0, scale * 3), Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawLines(lines.data(), int(lines.size()));
        lines.clear();
    };
    QPoint previous;
    for (const StitchDesign::Stitch& stitch : design.stitches) {
        if (stitch.kind == StitchDesign::Stitch::Kind::colorChange) {
            flush();
            ++block;
        }
        if (stitch.kind == StitchDesign::Stitch::Kind::normal)
            lines.emplace_back(toImage(previous), toImage(stitch.position));
        previous = stitch.position;
    }
    flush();
    return image;
}
