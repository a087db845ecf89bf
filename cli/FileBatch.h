#pragma once

#include "SendKit/send/StickFile.h"

#include <QList>
#include <QString>
#include <QStringList>

// The files a send takes from its command line, prepared the way the application prepares files
// dropped on its window: only stitch and companion files are taken, each under its stick-safe
// name (of several that would share a name, the first), read whole with its digest, companions
// first.
class FileBatch {
public:
    explicit FileBatch(const QStringList& paths);

    // The last path components of the files that are neither stitch nor companion files.
    const QStringList& rejected() const { return m_rejected; }
    bool isEmpty() const { return m_accepted.isEmpty(); }

    // The accepted files, in sending order. Throws std::runtime_error naming the file that could
    // not be read and why.
    QList<StickFile> read() const;

    // The name the stick stores the local file under.
    static QString stickName(const QString& path);

private:
    QStringList m_accepted;
    QStringList m_rejected;
};
