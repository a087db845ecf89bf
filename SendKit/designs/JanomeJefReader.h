#pragma once

#include "SendKit/designs/StitchDesign.h"

#include <QByteArray>

// Janome JEF: a 116-byte little-endian header (where the stitches begin, the thread count), the
// thread codes of Janome's catalogue (4 bytes each, their colours in ThreadPalette) and their
// types, then 2-byte signed moves; the byte 80 starts a command whose move follows: 80 01 changes
// colour, 80 02 jumps (a trim when it does not move), 80 10 ends.
struct JanomeJefReader {
    // fileName only names the file in errors. Throws DesignReadError.
    static StitchDesign read(const QString& fileName, const QByteArray& bytes);
};
