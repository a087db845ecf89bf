#pragma once

#include "SendKit/designs/StitchDesign.h"

#include <QByteArray>

// Melco expanded (EXP): no header, one signed byte each for the x and y move per stitch; the byte
// 80 starts a command whose move follows: 80 01 changes colour, 80 02 sews, 80 04 jumps, 80 80
// trims, or ends the design as the file's last two bytes. Names no colours.
struct MelcoExpReader {
    // fileName only names the file in errors. Throws DesignReadError.
    static StitchDesign read(const QString& fileName, const QByteArray& bytes);
};
