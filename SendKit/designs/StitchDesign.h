#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// A design as read from a machine file: the needle's path in 0.1 mm from the start point, y
// upwards, and the thread colours the file names (0xRRGGBB; none for formats without them).
struct StitchDesign {
    struct Stitch {
        enum class Kind { normal, jump, trim, colorChange, end };
        Kind kind = Kind::normal;
        QPoint position;
    };

    // "DST", "EXP", ...
    QString format;
    QList<Stitch> stitches;
    QList<quint32> threadColors;

    // Every needle position, the start point included.
    QRect extents() const;
    // Width and height of the extents in 0.1 mm: from the leftmost to the rightmost position.
    QSize size() const;
    // Sewn stitches only.
    int stitchCount() const;
    int colorChanges() const;
    int jumps() const;
    int trims() const;

private:
    int count(Stitch::Kind kind) const;
};
