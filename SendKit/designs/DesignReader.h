#pragma once

#include "SendKit/designs/StitchDesign.h"

#include <QByteArray>
#include <QString>

// Reads a design by the format its file name's extension promises.
struct DesignReader {
    // Throws DesignReadError when the format has no reader or the bytes are not that format.
    static StitchDesign read(const QString& fileName, const QByteArray& bytes);
    // Reads the file at path; throws DesignReadError also when it cannot be opened.
    static StitchDesign readFile(const QString& path);
};
