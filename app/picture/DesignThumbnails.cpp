#include "app/picture/DesignThumbnails.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

DesignThumbnails::DesignThumbnails(QString folder, int limit)
    : m_folder(std::move(folder))
    , m_limit(limit) {}

QString DesignThumbnails::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/thumbnails");
}

QString DesignThumbnails::pathOf(const StickFileEntry& file) const {
    // Hashed: stored names may hold anything the stick allows, a file name here may not.
    const QByteArray key =
        QStringLiteral("%1\n%2\n%3").arg(file.name()).arg(file.size()).arg(file.mtime()).toUtf8();
    return m_folder + u'/' +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32)) +
           QStringLiteral(".png");
}

void DesignThumbnails::store(const StickFileEntry& file, const QImage& picture) {
    if (picture.isNull() || !QDir().mkpath(m_folder))
        return;
    // Written whole or not at all: a half-written picture would only show as none, but need not.
    QSaveFile out(pathOf(file));
    if (!out.open(QIODevice::WriteOnly))
        return;
    const QImage small = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    small.save(&out, "PNG");
    if (!out.commit())
        return;
    m_known.insert(out.fileName(), small);
    evict(out.fileName());
}

QImage DesignThumbnails::find(const StickFileEntry& file) const {
    const QString path = pathOf(file);
    if (const auto known = m_known.constFind(path); known != m_known.cend())
        return *known;
    QImage picture;
    if (!picture.load(path, "PNG"))
        picture = QImage();
    m_known.insert(path, picture);
    return picture;
}

void DesignThumbnails::evict(const QString& written) const {
    QFileInfoList pictures =
        QDir(m_folder).entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Time);
    pictures.removeIf([&](const QFileInfo& picture) { return picture.filePath() == written; });
    for (qsizetype i = std::max(m_limit - 1, 0); i < pictures.size(); ++i) {
        QFile::remove(pictures[i].filePath());
        m_known.remove(pictures[i].filePath());
    }
}
