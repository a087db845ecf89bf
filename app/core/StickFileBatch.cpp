#include "app/core/StickFileBatch.h"

#include "SendKit/files/StickFileName.h"
#include "SendKit/send/StickSend.h"
#include "app/core/StickMessages.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray lastComponent(const QByteArray& path) {
    QByteArray trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf('/') + 1);
}

// The length of the UTF-8 sequence a lead byte starts; 0 for a byte that cannot lead one.
int sequenceLength(uchar lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 0;
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// An open file, closed on every way out.
class OpenFile {
public:
    explicit OpenFile(const QByteArray& path)
        // Not blocking, so that opening a FIFO returns at once instead of waiting for a writer;
        // the file type is checked on what was opened, so nothing can be swapped in between.
        : m_fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {
        using Failure = StickFileBatch::Failure;
        if (m_fd < 0)
            throw Failure(Failure::Kind::unreadable, path, systemReason(errno));
        struct stat status {};
        std::optional<Failure> failure;
        if (::fstat(m_fd, &status) != 0)
            failure.emplace(Failure::Kind::unreadable, path, systemReason(errno));
        else if (!S_ISREG(status.st_mode))
            failure.emplace(Failure::Kind::notRegular, path);
        else if (status.st_size == 0)
            failure.emplace(Failure::Kind::empty, path);
        if (failure) {
            ::close(m_fd);
            throw *failure;
        }
        m_size = quint64(status.st_size);
    }
    ~OpenFile() { ::close(m_fd); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int fd() const { return m_fd; }
    quint64 size() const { return m_size; }

private:
    int m_fd;
    quint64 m_size = 0;
};

// The file's bytes, refused when more than limit arrive: it may have grown since it was looked at.
QByteArray readAll(const OpenFile& file, const QByteArray& path, quint64 limit) {
    using Failure = StickFileBatch::Failure;
    QByteArray data;
    data.reserve(qsizetype(file.size()));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(file.fd(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw Failure(Failure::Kind::unreadable, path, systemReason(errno));
        if (count == 0)
            break;
        if (quint64(data.size()) + quint64(count) > limit)
            throw Failure(Failure::Kind::tooLarge, path, {}, limit);
        data.append(buffer, count);
    }
    if (data.isEmpty())
        throw Failure(Failure::Kind::empty, path);
    return data;
}

} // namespace

StickFileBatch::Failure::Failure(Kind kind, QByteArray path, QString reason, quint64 limit)
    : m_kind(kind)
    , m_path(std::move(path))
    , m_reason(std::move(reason))
    , m_limit(limit)
    , m_what(describe().toStdString()) {}

QString StickFileBatch::Failure::message() const {
    // tr() qualified, so that the translation tools file these texts where the code looks them up.
    const QString name = displayName(m_path);
    switch (m_kind) {
    case Kind::unreadable:
        return StickMessages::unreadableFileMessage();
    case Kind::notRegular:
        return StickFileBatch::tr(
                   "“%1” is not a file that can be sent (a folder, a device or a pipe).")
            .arg(name);
    case Kind::empty:
        return StickFileBatch::tr("“%1” is empty, so there is nothing to send.").arg(name);
    case Kind::tooLarge:
        if (m_limit == 0)
            return StickFileBatch::tr(
                       "“%1” is larger than the stick takes. Insert an SD card for larger files.")
                .arg(name);
        return StickFileBatch::tr(
                   "“%1” is larger than the stick takes (%2). Insert an SD card for larger files.")
            .arg(name, StickMessages::byteCount(m_limit));
    }
    return {};
}

QString StickFileBatch::Failure::describe() const {
    const QString path = displayPath(m_path);
    switch (m_kind) {
    case Kind::unreadable:
        return QStringLiteral("%1: %2").arg(path, m_reason);
    case Kind::notRegular:
        return QStringLiteral("%1: not a regular file").arg(path);
    case Kind::empty:
        return QStringLiteral("%1: empty").arg(path);
    case Kind::tooLarge:
        return QStringLiteral("%1: larger than %2 bytes").arg(path).arg(m_limit);
    }
    return path;
}

StickFileBatch::StickFileBatch(const QList<QByteArray>& paths) {
    QSet<QByteArray> seen;
    QList<QString> names;
    for (const QByteArray& path : paths) {
        const QString extension = StickFileName::extension(QString::fromUtf8(lastComponent(path)));
        if (!StickFileName::stitchExtensions().contains(extension) &&
            !StickFileName::companionExtensions().contains(extension)) {
            m_rejected << displayName(path);
            continue;
        }
        // The same file named twice is one file, not a clash.
        const QByteArray cleaned = QDir::cleanPath(QString::fromLatin1(path)).toLatin1();
        if (seen.contains(cleaned))
            continue;
        seen.insert(cleaned);
        const QString name = stickName(path);
        const auto earlier =
            std::find_if(names.begin(), names.end(), [&name](const QString& other) {
                return other.compare(name, Qt::CaseInsensitive) == 0;
            });
        if (earlier != names.end()) {
            m_clashes.append({m_accepted[earlier - names.begin()], path, *earlier});
            continue;
        }
        names << name;
        m_accepted << path;
    }
}

void StickFileBatch::check() const {
    for (const QByteArray& path : m_accepted)
        OpenFile file(path);
}

QList<StickFile> StickFileBatch::read(quint64 limit) const {
    QList<StickFile> files;
    for (const QByteArray& path : m_accepted) {
        const OpenFile file(path);
        if (file.size() > limit)
            throw Failure(Failure::Kind::tooLarge, path, {}, limit);
        files.append(StickFile(stickName(path), readAll(file, path, limit)));
    }
    return StickSend::companionsFirst(files);
}

QString StickFileBatch::stickName(const QByteArray& path) {
    const QString fileName = QString::fromUtf8(lastComponent(path));
    return StickFileName::sanitized(StickFileName::baseName(fileName),
                                    StickFileName::extension(fileName));
}

QString StickFileBatch::displayPath(const QByteArray& path) {
    QString text;
    for (qsizetype i = 0; i < path.size();) {
        const uchar byte = uchar(path[i]);
        const int length = sequenceLength(byte);
        const QByteArray sequence = path.mid(i, length);
        const bool valid = length > 0 && sequence.size() == length && sequence.isValidUtf8();
        const char32_t scalar = valid ? QString::fromUtf8(sequence).toUcs4().value(0) : 0;
        // Control characters could move the cursor or end a line of the terminal or the log.
        const bool control = scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F);
        if (!valid || control) {
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
            ++i;
            continue;
        }
        text += QString::fromUtf8(sequence);
        i += length;
    }
    return text;
}

QString StickFileBatch::displayName(const QByteArray& path) {
    return displayPath(lastComponent(path));
}
