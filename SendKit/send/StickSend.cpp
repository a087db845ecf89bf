#include "SendKit/send/StickSend.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/files/StickFileName.h"
#include "SendKit/protocol/StickTime.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <exception>
#include <numeric>
#include <optional>
#include <utility>

namespace {

void report(const StickSend::PhaseHandler& phase, StickSendPhase value) {
    if (phase)
        phase(value);
}

// The stick's name rules and limits, file by file; the first file that breaks one ends the send.
void checkFiles(const QList<StickFile>& files, const StickInfo& info) {
    for (const StickFile& file : files) {
        if (StickFileName::problem(file.name()))
            throw StickError::nameRejected(file.name());
        if (file.data().isEmpty())
            throw StickError::protocolError(QStringLiteral("empty file ") + file.name());
        if (file.data().size() > qint64(info.maxFileSize))
            throw StickError::fileTooLarge(info.maxFileSize);
    }
}

// Throws nameExists with the names, as given, of every file the stick already lists under any
// letter case.
QCoro::Task<void> refuseListedNames(StickSession& session, const QList<StickFile>& files) {
    const QList<StickFileEntry> entries = co_await session.list();
    QSet<QString> listed;
    for (const StickFileEntry& entry : entries)
        listed.insert(entry.name().toLower());
    QStringList clashes;
    for (const StickFile& file : files) {
        if (listed.contains(file.name().toLower()))
            clashes.append(file.name());
    }
    if (!clashes.isEmpty())
        throw StickError::nameExists(clashes);
}

// Asks the stick to drop the open transfer. Whatever comes of it, the caller goes on to report
// the failure that made it give up, so an ABORT that fails or times out is only logged.
QCoro::Task<void> abandon(StickSession& session, quint8 transferID) {
    std::exception_ptr failure;
    try {
        co_await session.abort(transferID);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure)
        StickLog::write([&] {
            return QStringLiteral("stick send: ABORT of transfer %1 failed, ignored: %2")
                .arg(QString::number(transferID), StickLog::describe(failure));
        });
}

// The transfer's bytes under the stick's window; after a failed stream the transfer is
// abandoned before the stream's error goes on.
QCoro::Task<void> stream(StickSession& session, const StickReply::Begin& opened,
                         const QByteArray& data, StickSession::Progress progress,
                         std::stop_token stop) {
    std::exception_ptr failure;
    try {
        co_await session.sendData(opened.transferID, data, opened.window, opened.maxChunk,
                                  std::move(progress), std::move(stop));
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        co_await abandon(session, opened.transferID);
        std::rethrow_exception(failure);
    }
}

// After a link lost during COMMIT the stick may or may not have stored the file; its last result,
// asked over a new session, tells. The new session replaces the lost one for the rest of the send.
QCoro::Task<StickReceipt::Stored> recover(std::shared_ptr<StickSession>& session,
                                          const StickFile& file,
                                          const StickSend::Reconnect& reconnect) {
    StickLog::write([&] {
        return QStringLiteral("stick send: link lost during COMMIT of %1, reconnecting to ask for "
                              "the last result")
            .arg(StickLog::quoted(file.name()));
    });
    std::shared_ptr<StickSession> fresh = co_await reconnect();
    if (!fresh)
        throw StickError::transferInterrupted();
    session = std::move(fresh);
    if (!session->info())
        co_await session->getInfo();
    const StickReply::LastResult last = co_await session->lastResult();
    const bool stored = last.status && last.status->isOK() && last.storedSHA256 == file.sha256() &&
                        last.storedName.toLower() == file.name().toLower();
    if (!stored)
        throw StickError::transferInterrupted();
    co_return StickReceipt::Stored{last.storedName, quint32(file.data().size()), last.storedSHA256};
}

// COMMITs the transfer and returns the file as stored, once the size and the digest the stick
// read back are those that were sent. The stored name may differ: the stick has the last word.
QCoro::Task<StickReceipt::Stored> confirm(std::shared_ptr<StickSession>& session,
                                          const StickFile& file, quint8 transferID,
                                          const StickSend::Reconnect& reconnect) {
    std::optional<StickReply::Commit> reply;
    std::optional<StickError> failure;
    try {
        reply = co_await session->commit(transferID);
    } catch (const StickError& error) {
        failure = error;
    }
    if (reply) {
        if (reply->storedSHA256 != file.sha256() ||
            qint64(reply->storedSize) != file.data().size()) {
            StickLog::write([&] {
                return QStringLiteral("stick send: %1 sent as %2 bytes with SHA-256 %3, stored as "
                                      "%4 bytes with SHA-256 %5")
                    .arg(StickLog::quoted(file.name()), QString::number(file.data().size()),
                         QString::fromLatin1(file.sha256().toHex()),
                         QString::number(reply->storedSize),
                         QString::fromLatin1(reply->storedSHA256.toHex()));
            });
            throw StickError::integrityMismatch();
        }
        co_return StickReceipt::Stored{reply->storedName, reply->storedSize, reply->storedSHA256};
    }
    if (failure->is<StickError::MachineBusy>()) {
        co_await abandon(*session, transferID);
        throw *failure;
    }
    if (!failure->is<StickError::TransferInterrupted>())
        throw *failure;
    co_return co_await recover(session, file, reconnect);
}

} // namespace

QCoro::Task<StickReceipt> StickSend::send(QList<StickFile> files, bool overwrite,
                                          std::shared_ptr<StickSession> session,
                                          Reconnect reconnect, PhaseHandler phase, Clock& clock,
                                          std::stop_token stop, WallClock wallClock) {
    const std::chrono::nanoseconds start = clock.now();
    report(phase, {StickSendPhase::Checking{}});

    std::optional<StickInfo> startInfo = session->info();
    if (!startInfo)
        startInfo = co_await session->getInfo();
    checkFiles(files, *startInfo);
    const std::optional<StickVolume> startVolume = startInfo->active();
    if (!startVolume)
        throw StickError::noMedium();
    if (!overwrite)
        co_await refuseListedNames(*session, files);

    const qint64 total =
        std::accumulate(files.cbegin(), files.cend(), qint64(0),
                        [](qint64 sum, const StickFile& file) { return sum + file.data().size(); });
    qint64 done = 0;
    const QDateTime now = wallClock();
    const quint32 mtime = StickTime::localSeconds(now, now.timeZone());
    QList<StickReceipt::Stored> stored;

    for (const StickFile& file : std::as_const(files)) {
        const StickReply::Begin opened = co_await session->begin(
            quint32(file.data().size()), file.sha256(), mtime, overwrite, file.name());
        co_await stream(
            *session, opened, file.data(),
            [&](qint64 acked) {
                report(phase, {StickSendPhase::Sending{double(done + acked) / double(total),
                                                       file.name()}});
            },
            stop);
        done += file.data().size();
        report(phase, {StickSendPhase::Verifying{file.name()}});
        stored.append(co_await confirm(session, file, opened.transferID, reconnect));
    }

    const double seconds = std::chrono::duration<double>(clock.now() - start).count();
    // A reconnect's information may name another volume, or none; without one, the files went
    // where the stick said at the start.
    const std::optional<StickInfo> latest = session->info();
    const std::optional<StickVolume> latestVolume = latest ? latest->active() : std::nullopt;
    co_return StickReceipt{startInfo->deviceName, stored,
                           (latestVolume ? *latestVolume : *startVolume).kind, seconds, mtime};
}

QList<StickFile> StickSend::companionsFirst(const QList<StickFile>& files) {
    QList<StickFile> ordered = files;
    std::stable_partition(ordered.begin(), ordered.end(), [](const StickFile& file) {
        return StickFileName::isCompanion(file.name());
    });
    return ordered;
}
