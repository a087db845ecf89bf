#pragma once

#include "StitchPath.h"

#include <QByteArray>
#include <QList>

// Pfaff / Husqvarna Viking VP3: nested big-endian sections, each a 3-byte tag and the length of
// the rest: the file section (00 02 00: extents, counts) holding the design section (00 03 00: its
// centre and hoop, in µm, y upwards) holding one colour block (00 05 00) per thread: its start
// from the centre, its RGB thread, and its stitch section (00 01 00) of signed byte moves in 0.1
// mm, y downwards, longer ones as 80 01, two 16-bit values, 80 02. A jump is written as the start
// of a colour block, so it may only open one.
struct PfaffVp3 {
    static constexpr int maxMove = 32767;

    // threadColors: one 0xRRGGBB per colour block. Throws std::invalid_argument when a move is
    // longer than maxMove, a jump does not open a colour block, or the colours do not match the
    // colour blocks.
    static QByteArray encode(const StitchPath& path, const QList<quint32>& threadColors);
};
