#pragma once

#include "SendKit/protocol/StickFileEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

// One design on the stick: the stitch files that share a base name and the companion files
// (colours, previews) beside them. Deleting a design deletes all of its files.
struct StickDesign {
    QString name;
    // Files that are not companions, in listing order.
    QList<StickFileEntry> stitchFiles;
    QList<StickFileEntry> companions;

    // Tells designs apart in lists; names differing only in letter case are one design.
    QString id() const { return name.toLower(); }
    // Stitch files, then companions.
    QList<StickFileEntry> files() const { return stitchFiles + companions; }
    QStringList fileNames() const;
    quint64 totalSize() const;
    // The latest mtime of any file, 0 for none.
    quint32 newest() const;
    // Only companion files are left, the stitch files having been deleted or never sent.
    bool isOrphan() const { return stitchFiles.isEmpty(); }

    bool operator==(const StickDesign&) const = default;
};
