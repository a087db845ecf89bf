#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

// A design as a machine sews it: needle positions in 0.1 mm from the start point, y upwards,
// each reached by a stitch or a jump, with colour changes between them.
struct StitchPath {
    enum class Kind { Stitch, Jump, ColorChange };
    struct Step {
        Kind kind = Kind::Stitch;
        QPoint position;
        bool operator==(const Step&) const = default;
    };

    QList<Step> steps;

    // Moves in equal steps no longer than maxStep on either axis, so that every step fits a record.
    void jumpTo(QPoint target, int maxStep);
    // Sews a straight line in equal stitches no longer than maxLength.
    void stitchTo(QPoint target, int maxLength);
    void changeColor();

    QPoint end() const;
    // Every needle position, the start point included.
    QRect bounds() const;
    int colorChanges() const;

    // The stitches drawn to scale on white, one thread colour per colour block; jumps are not
    // drawn.
    QImage preview(QSize size, const QList<QColor>& threads) const;

    bool operator==(const StitchPath&) const = default;
};
