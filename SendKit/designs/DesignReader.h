#pragma once

#include "SendKit/designs/StitchDesign.h"

#include <QByteArray>
#include <QString>

// Reads a design by the format its file name's extension promises.
struct DesignReader {
    // Throws DesignReadError when the format has no reader or the bytes are not that format.
    static StitchDesign read(const QString& fileName, const QByteArray& bytes);
    // No machine file comes near this; anything longer is not read at all.
    static constexpr qint64 sizeLimit = 64 * 1024 * 1024;

    // Reads the file at path; throws DesignReadError also when it cannot be opened, is not a
    // regular file (a FIFO would block, a device never end) or is longer than sizeLimit.
    static StitchDesign readFile(const QString& path);
};
