#pragma once

#include "SendKit/designs/DesignReadError.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// What the window shows of a design file before and after sending it: its picture, size, stitches
// and colours, or, for a file that is not what its extension says or is cut short, why not.
struct DesignPreview {
    // The picture's side in pixels: sharp at twice the size the window shows it.
    static constexpr int pictureSide = 128;
    // Larger files get no preview: no design comes near, and reading one would hold up the send.
    static constexpr qint64 sizeLimit = 32 * 1024 * 1024;

    QImage picture; // null when the file has a problem
    QSize size;     // 0.1 mm
    int stitches = 0;
    // Colour blocks with stitches in them.
    int colors = 0;
    std::optional<DesignReadError> problem;

    // Reads and draws the file. None for a file without a reader (a companion, a format not read
    // yet), one that cannot be opened or one over the size limit. Safe on a worker thread.
    static std::optional<DesignPreview> read(const QString& path);
};
