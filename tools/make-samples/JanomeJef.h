#pragma once

#include "StitchPath.h"

#include <QByteArray>
#include <QList>

// Janome JEF: a 116-byte little-endian header (stitch offset, flags, date, thread count, point
// count, hoop, the design's extents and its distances to the four hoops' edges), one Janome thread
// code and one thread type per colour block, then two signed bytes per move, y upwards; 80 01 00 00
// changes colour, 80 02 dx dy jumps, 80 10 ends.
struct JanomeJef {
    static constexpr int maxMove = 127;

    // threadCodes: one Janome catalogue code per colour block. Throws std::invalid_argument when
    // a move is longer than maxMove or the codes do not match the colour blocks.
    static QByteArray encode(const StitchPath& path, const QList<quint32>& threadCodes);
};
