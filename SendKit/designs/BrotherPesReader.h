#pragma once

#include "SendKit/designs/StitchDesign.h"

#include <QByteArray>

// Brother PES, read through the PEC part every PES carries for the machine: "#PES" and a version,
// the PEC part's offset at byte 8; the PEC part opens with a 512-byte block ("LA:" label, thread
// count less one at byte 48, then each thread's index into Brother's chart, ThreadPalette) and 20
// more bytes, then moves of one byte (7 bits, two's complement) or two (top bit set; 12 bits, 0x20
// trims, 0x10 jumps), x before y, y downwards. FE B0 and one byte change colour, FF ends.
struct BrotherPesReader {
    // fileName only names the file in errors. Throws DesignReadError.
    static StitchDesign read(const QString& fileName, const QByteArray& bytes);
};
