#include "SendKit/loopback/LoopbackFolder.h"

#include "SendKit/files/StickFileName.h"
#include "SendKit/protocol/StickTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimeZone>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw std::runtime_error(QStringLiteral("%1 %2: %3")
                                 .arg(what, QDir::toNativeSeparators(path), reason)
                                 .toStdString());
}

} // namespace

LoopbackFolder::LoopbackFolder(QString path)
    : m_path(std::move(path)) {}

QString LoopbackFolder::pathOf(const QString& name) const {
    // The stick's name rule allows neither "/" nor a leading ".", so the path stays in the folder;
    // the check keeps it that way whoever put the name on the stick.
    if (StickFileName::problem(name))
        fail(QStringLiteral("cannot keep the file"), name,
             QStringLiteral("the stick would not accept its name"));
    return QDir(m_path).filePath(name);
}

void LoopbackFolder::load(LoopbackStick& stick) {
    if (!QDir().mkpath(m_path))
        fail(QStringLiteral("cannot create the folder"), m_path, QStringLiteral("mkdir failed"));
    // A link could point anywhere; only plain files are the stick's.
    const QFileInfoList entries =
        QDir(m_path).entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (StickFileName::problem(entry.fileName()))
            continue;
        QFile file(entry.filePath());
        if (!file.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot read"), entry.filePath(), file.errorString());
        LoopbackStick::StoredFile stored{
            file.readAll(),
            StickTime::localSeconds(entry.lastModified(), QTimeZone::systemTimeZone())};
        stick.store(entry.fileName(), stored.data, stored.mtime);
        m_kept.insert_or_assign(entry.fileName(), std::move(stored));
    }
}

void LoopbackFolder::save(const LoopbackStick& stick) {
    const std::map<QString, LoopbackStick::StoredFile>& files = stick.files();
    // Removals first, so that a file replaced under another letter case is not lost on a file
    // system that ignores case.
    for (auto kept = m_kept.begin(); kept != m_kept.end();) {
        if (files.count(kept->first)) {
            ++kept;
            continue;
        }
        QFile file(pathOf(kept->first));
        if (file.exists() && !file.remove())
            fail(QStringLiteral("cannot remove"), file.fileName(), file.errorString());
        kept = m_kept.erase(kept);
    }
    for (const auto& [name, stored] : files) {
        const auto kept = m_kept.find(name);
        if (kept != m_kept.end() && kept->second == stored)
            continue;
        const QString path = pathOf(name);
        // A link in the way is replaced, never followed.
        if (QFileInfo(path).isSymLink() && !QFile::remove(path))
            fail(QStringLiteral("cannot replace the link"), path, QStringLiteral("remove failed"));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(stored.data) != stored.data.size() ||
            !file.commit())
            fail(QStringLiteral("cannot write"), path, file.errorString());
        if (const std::optional<QDateTime> modified =
                StickTime::date(stored.mtime, QTimeZone::systemTimeZone())) {
            QFile written(path);
            if (!written.open(QIODevice::ReadWrite) ||
                !written.setFileTime(*modified, QFileDevice::FileModificationTime))
                fail(QStringLiteral("cannot set the time of"), path, written.errorString());
        }
        m_kept.insert_or_assign(name, stored);
    }
}
