#include "cli/FileBatch.h"

#include "SendKit/files/StickFileName.h"
#include "SendKit/send/StickSend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <stdexcept>

FileBatch::FileBatch(const QStringList& paths) {
    QSet<QString> names;
    for (const QString& path : paths) {
        const QString extension = StickFileName::extension(QFileInfo(path).fileName());
        if (!StickFileName::stitchExtensions().contains(extension) &&
            !StickFileName::companionExtensions().contains(extension)) {
            m_rejected << QFileInfo(path).fileName();
            continue;
        }
        // The stick ignores letter case, so two files that would meet there are one file here.
        const QString name = stickName(path).toLower();
        if (names.contains(name))
            continue;
        names.insert(name);
        m_accepted << path;
    }
}

QList<StickFile> FileBatch::read() const {
    QList<StickFile> files;
    for (const QString& path : m_accepted) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error(QStringLiteral("%1: %2")
                                         .arg(QDir::toNativeSeparators(path), file.errorString())
                                         .toStdString());
        files.append(StickFile(stickName(path), file.readAll()));
    }
    return StickSend::companionsFirst(files);
}

QString FileBatch::stickName(const QString& path) {
    const QString fileName = QFileInfo(path).fileName();
    return StickFileName::sanitized(StickFileName::baseName(fileName),
                                    StickFileName::extension(fileName));
}
