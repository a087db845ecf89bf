#pragma once

#include "StitchPath.h"

#include <QByteArray>
#include <QList>

// Brother PES as a machine reads it: "#PES0001" and the offset of its PEC part, which follows at
// once (the PES objects a design program keeps are left out). The PEC part: a 512-byte block ("LA:"
// and the label, the thumbnail's size, the colour count less one and one Brother chart index per
// colour block), 20 bytes (where the thumbnails begin, the design's size), the moves in one byte
// (7 bits) or two (12 bits, 0x10 for a jump), x before y, y downwards, FE B0 and a byte changing
// colour, FF ending; then one blank 48 × 38 thumbnail for the design and one per colour.
struct BrotherPes {
    static constexpr int maxMove = 2047;

    // colorIndexes: one Brother chart index per colour block. Throws std::invalid_argument when a
    // move is longer than maxMove or the indexes do not match the colour blocks.
    static QByteArray encode(const StitchPath& path, const QByteArray& label,
                             const QList<quint8>& colorIndexes);
};
