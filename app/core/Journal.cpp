#include "app/core/Journal.h"

#include "app/core/Desktop.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSysInfo>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(journalCategory, "app.brindle.stick")

namespace {

const QString fileName = QStringLiteral("stick.log");
const QString previousFileName = QStringLiteral("stick.1.log");

} // namespace

// The worker that owns all file access, so lines land in call order and never interleave.
class Journal::Writer {
public:
    Writer(QString folder, qint64 sizeLimit)
        : m_folder(std::move(folder))
        , m_path(QDir(m_folder).filePath(fileName))
        , m_previousPath(QDir(m_folder).filePath(previousFileName))
        , m_sizeLimit(sizeLimit)
        , m_thread([this](std::stop_token stop) { run(stop); }) {}

    ~Writer() {
        {
            // Under the lock, so the worker cannot miss the wake-up between test and wait.
            std::lock_guard lock(m_mutex);
            m_thread.request_stop();
        }
        m_wake.notify_all();
    }

    const QString& path() const { return m_path; }

    void enqueue(QByteArray line) {
        {
            std::lock_guard lock(m_mutex);
            m_pending.push_back(std::move(line));
            ++m_queued;
        }
        m_wake.notify_all();
    }

    void flush() {
        std::unique_lock lock(m_mutex);
        const quint64 target = m_queued;
        m_done.wait(lock, [&] { return m_written >= target; });
    }

private:
    void run(std::stop_token stop) {
        // The write that crosses a file size limit (ulimit -f) raises SIGXFSZ, which would end the
        // whole application; blocked in this thread only, the write fails with EFBIG instead and
        // the line is lost as on a full disk.
        sigset_t fileSizeSignal;
        sigemptyset(&fileSizeSignal);
        sigaddset(&fileSizeSignal, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &fileSizeSignal, nullptr);
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return !m_pending.empty() || stop.stop_requested(); });
            if (m_pending.empty())
                return;
            std::deque<QByteArray> batch;
            batch.swap(m_pending);
            lock.unlock();
            for (const QByteArray& line : batch)
                append(line);
            lock.lock();
            m_written += batch.size();
            m_done.notify_all();
        }
    }

    void append(const QByteArray& line) const {
        QDir().mkpath(m_folder);
        struct stat status {};
        const QByteArray path = QFile::encodeName(m_path);
        if (::stat(path.constData(), &status) == 0 && status.st_size > m_sizeLimit) {
            QFile::remove(m_previousPath);
            QFile::rename(m_path, m_previousPath);
        }
        const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        // A line that does not fit whole (a full disk, a size limit) is taken back, so the file
        // never holds half a line that the next one would run into.
        struct stat before {};
        const bool sized = ::fstat(fd, &before) == 0;
        qsizetype done = 0;
        while (done < line.size()) {
            const ssize_t wrote = ::write(fd, line.constData() + done, size_t(line.size() - done));
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                break;
            done += wrote;
        }
        if (done < line.size() && done > 0 && sized) {
            const int cut = ::ftruncate(fd, before.st_size);
            Q_UNUSED(cut); // failing, the half line stays: nothing better is left to do
        }
        ::close(fd);
    }

    const QString m_folder;
    const QString m_path;
    const QString m_previousPath;
    const qint64 m_sizeLimit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<QByteArray> m_pending;
    quint64 m_queued = 0;
    quint64 m_written = 0;
    // Last, so the thread starts once everything it touches exists.
    std::jthread m_thread;
};

Journal::Journal(QString folder, qint64 sizeLimit)
    : m_writer(std::make_unique<Writer>(std::move(folder), sizeLimit)) {}

Journal::~Journal() = default;

QString Journal::defaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG base directories ignore relative paths.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir(state).filePath(QStringLiteral("Brindle Stick"));
}

QString Journal::filePath() const {
    return m_writer->path();
}

void Journal::write(const QString& message) {
    qCInfo(journalCategory).noquote() << message;
    const QString line = timestamp(QDateTime::currentDateTime()) + u' ' + message + u'\n';
    m_writer->enqueue(line.toUtf8());
}

void Journal::flush() {
    m_writer->flush();
}

void Journal::reveal() {
    write(QStringLiteral("log opened from the Help menu"));
    flush();
    Desktop::revealFile(filePath());
}

QString Journal::launchLine(const QString& version, const QString& build) {
    const auto orUnknown = [](const QString& text) {
        return text.isEmpty() ? QStringLiteral("?") : text;
    };
    return QStringLiteral("Brindle Stick %1 (%2) launched on %3")
        .arg(orUnknown(version), orUnknown(build), systemName());
}

QString Journal::systemName() {
    // Reads PRETTY_NAME of os-release, falling back to the kernel's name and version.
    return QSysInfo::prettyProductName();
}

QString Journal::timestamp(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    QString zone = QStringLiteral("Z");
    if (offset != 0) {
        const int minutes = std::abs(offset) / 60;
        zone = QString::asprintf("%c%02d%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    }
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) + zone;
}
