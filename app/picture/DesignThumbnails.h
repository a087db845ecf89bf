#pragma once

#include "SendKit/protocol/StickFileEntry.h"

#include <QHash>
#include <QImage>
#include <QString>

// Small pictures of the designs this computer sent, kept in a folder of the user's cache so that
// the stick's file list can show them. A picture belongs to a stored file by its name, size and
// time stamp, so a file replaced from elsewhere loses it. The folder is bounded: past the limit
// the pictures written longest ago go. A missing or damaged picture is simply none.
class DesignThumbnails {
public:
    // The side of a stored picture in pixels.
    static constexpr int side = 64;

    explicit DesignThumbnails(QString folder = defaultFolder(), int limit = 500);

    // "thumbnails" in the application's cache folder.
    static QString defaultFolder();

    void store(const StickFileEntry& file, const QImage& picture);
    // The picture of the file; null when there is none.
    QImage find(const StickFileEntry& file) const;

private:
    QString pathOf(const StickFileEntry& file) const;
    // Removes the pictures written longest ago beyond the limit, never the one just written.
    void evict(const QString& written) const;

    QString m_folder;
    int m_limit;
    // What was read from or written to the folder, so rows built again read nothing again.
    mutable QHash<QString, QImage> m_known;
};
