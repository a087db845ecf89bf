#pragma once

#include "SendKit/designs/StitchDesign.h"

#include <QByteArray>

// Tajima DST: a 512-byte text header beginning "LA:", then 3-byte records whose x and y moves are
// spread over balanced-ternary bits, up to the end record (third byte F3). Names no colours.
struct TajimaDstReader {
    // fileName only names the file in errors. Throws DesignReadError.
    static StitchDesign read(const QString& fileName, const QByteArray& bytes);
};
