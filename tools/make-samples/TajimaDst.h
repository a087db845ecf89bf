#pragma once

#include "StitchPath.h"

#include <QByteArray>

// Tajima DST: a 512-byte text header, then one 3-byte record per move whose x and y are spread
// over balanced-ternary bits, closed by the end record 00 00 F3.
struct TajimaDst {
    static constexpr int maxMove = 121;

    // Throws std::invalid_argument when a move is longer than maxMove.
    static QByteArray encode(const StitchPath& path, const QByteArray& label);
    // Reads back what encode writes and checks the header against the records; throws
    // std::runtime_error on anything else.
    static StitchPath decode(const QByteArray& file);
};
