#pragma once

#include "StitchPath.h"

#include <QByteArray>

// Melco expanded (EXP): no header, one signed byte each for x and y per stitch; the byte 0x80
// in place of x starts a command: 80 04 dx dy jumps, 80 01 00 00 changes colour, 80 80 ends.
struct MelcoExp {
    static constexpr int maxMove = 127;

    // Throws std::invalid_argument when a move is longer than maxMove.
    static QByteArray encode(const StitchPath& path);
    // Reads back what encode writes; throws std::runtime_error on anything else.
    static StitchPath decode(const QByteArray& file);
};
