#include "SendKit/session/StickSession.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/async/Executor.h"
#include "SendKit/async/OneShot.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickProtocol.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/protocol/StickWireError.h"

#include <QSet>

#include <algorithm>
#include <deque>
#include <utility>

using namespace std::chrono_literals;

namespace {

// A duration as the log writes it: seconds with at least one decimal, such as "10.0 seconds" or
// "2.25 seconds".
QString durationText(std::chrono::nanoseconds duration) {
    QString number = QString::number(std::chrono::duration<double>(duration).count(), 'f', 9);
    while (number.endsWith(u'0') && !number.endsWith(u".0"))
        number.chop(1);
    return number + QStringLiteral(" seconds");
}

// A payload decoder whose failure becomes the session's protocolError.
template <class Decode> auto decoded(Decode decode, const QByteArray& payload) {
    try {
        return decode(payload);
    } catch (const StickWireError& error) {
        throw StickError::protocolError(error.description());
    }
}

// What a failed write becomes: its own StickError, or a lost link for anything else.
StickError writeError(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const StickError& error) {
        return error;
    } catch (...) {
        return StickError::transferInterrupted();
    }
}

} // namespace

class StickSession::State {
public:
    State(std::shared_ptr<StickLink> link, Clock& clock)
        : link(std::move(link))
        , clock(clock) {}

    // The one request waiting for its response.
    struct Pending {
        quint8 seq = 0;
        quint8 opcode = 0;
        OneShot<Response> continuation;
        ClockTimer timeout; // dropped, and so cancelled, when the request ends
    };

    // The one caller suspended in nextEvent().
    struct EventWaiter {
        quint64 token = 0;
        OneShot<std::optional<StickEvent>> continuation;
    };

    const std::shared_ptr<StickLink> link;
    Clock& clock;
    quint8 seq = 0; // of the last request sent
    std::optional<Pending> pending;
    // Transfer events nobody waited for, oldest first. Only a running stream reads them, and it
    // has at most a window's worth of acknowledgements in flight; a stick that keeps sending while
    // nobody streams must not grow this without end, so past the bound the oldest give way.
    static constexpr std::size_t eventBound = 4096;
    std::deque<StickEvent> events;
    std::optional<EventWaiter> eventWaiter;
    quint64 waiterToken = 0;
    bool closed = false; // the link's frames have ended; never reset
    std::deque<OneShot<void>> turnWaiters;
    std::optional<StickInfo> info;
    AsyncQueue<StickEvent> stateChanges{AsyncQueuePolicy::KeepNewest};

    static QCoro::Task<void> readFrames(std::weak_ptr<State> weak, AsyncQueue<QByteArray> frames);
    static QCoro::Task<void> writeRequest(std::weak_ptr<State> weak,
                                          std::shared_ptr<StickLink> link, QCoro::Task<void> write,
                                          quint8 seq);

    static QCoro::Task<Response> exchange(std::shared_ptr<State> self, StickOpcode opcode,
                                          std::chrono::nanoseconds timeout, FrameBuilder build);
    static QCoro::Task<std::optional<StickEvent>> nextEvent(std::shared_ptr<State> self,
                                                            std::chrono::nanoseconds timeout);

    void handleFrame(const QByteArray& bytes);
    void handleResponse(const StickFrame::Response& response);
    void handleEvent(const StickEvent& event);
    void handleLinkEnd();
    void replyTimedOut(quint8 requestSeq);
    void writeFailed(quint8 requestSeq, const std::exception_ptr& failure);
    void eventWaitTimedOut(quint64 token);
    // Ends the pending request's turn, wakes the first caller waiting for one, and hands back
    // the request so that the caller resumes it.
    Pending finishTurn();
};

namespace {

// The windowed stream of one file's data chunks: the working values of one sendData() call.
class DataStream {
public:
    DataStream(quint8 transferID, qint64 total, qint64 chunk, qint64 windowBytes,
               StickSession::Progress& progress, std::chrono::nanoseconds start)
        : transferID(transferID)
        , total(total)
        , chunk(chunk)
        , windowBytes(windowBytes)
        , progress(progress)
        , lastProgress(start) {}

    const quint8 transferID;
    const qint64 total;
    const qint64 chunk;       // file bytes per data chunk frame
    const qint64 windowBytes; // how far beyond acked the stream may send
    StickSession::Progress& progress;
    qint64 next = 0;
    qint64 acked = 0;
    qint64 chunksWritten = 0;
    qint64 quarter = 1;
    std::chrono::nanoseconds lastProgress;

    // Follows one event of the stick; throws when it aborted this transfer. Events of other
    // transfers, and state changes, mean nothing here.
    void process(const StickEvent& event, std::chrono::nanoseconds now) {
        if (const auto* ack = std::get_if<StickEvent::Ack>(&event.value)) {
            if (ack->transferID == transferID)
                acknowledged(ack->offset, now);
        } else if (const auto* nack = std::get_if<StickEvent::Nack>(&event.value)) {
            if (nack->transferID == transferID)
                rewind(nack->expectedOffset);
        } else if (const auto* aborted = std::get_if<StickEvent::TransferAborted>(&event.value)) {
            if (aborted->transferID == transferID)
                throw abortError(aborted->status);
        }
    }

private:
    void acknowledged(qint64 offset, std::chrono::nanoseconds now) {
        if (offset > acked) {
            acked = std::min(offset, total);
            lastProgress = now;
            if (progress)
                progress(acked);
            if (total * quarter <= acked * 4) {
                StickLog::write([&] {
                    return QStringLiteral("stick data: %1 of %2 acknowledged after %3 chunks")
                        .arg(acked)
                        .arg(total)
                        .arg(chunksWritten);
                });
                quarter = acked * 4 / total + 1;
            }
        }
        next = std::max(next, acked);
    }

    void rewind(qint64 expectedOffset) {
        StickLog::write([&] {
            return QStringLiteral("stick data: NACK, stick expects %1 (sent up to %2, acked %3)")
                .arg(expectedOffset)
                .arg(next)
                .arg(acked);
        });
        next = std::min(expectedOffset, total);
    }

    static StickError abortError(StickStatus status) {
        if (status.rawValue == StickStatus::timeout)
            return StickError::timeout();
        return StickError::forStatus(status).value_or(StickError::refused(status));
    }
};

} // namespace

// The session's own tasks, each holding the state weakly.

QCoro::Task<void> StickSession::State::readFrames(std::weak_ptr<State> weak,
                                                  AsyncQueue<QByteArray> frames) {
    while (auto frame = co_await frames.next()) {
        if (auto self = weak.lock())
            self->handleFrame(*frame);
    }
    if (auto self = weak.lock())
        self->handleLinkEnd();
}

// Holds the link, so that a write in progress outlives the session and its link's owner.
QCoro::Task<void>
StickSession::State::writeRequest(std::weak_ptr<State> weak,
                                  [[maybe_unused]] std::shared_ptr<StickLink> link,
                                  QCoro::Task<void> write, quint8 seq) {
    std::exception_ptr failure;
    try {
        co_await write;
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        if (auto self = weak.lock())
            self->writeFailed(seq, failure);
    }
}

// Frames from the stick.

void StickSession::State::handleFrame(const QByteArray& bytes) {
    std::optional<StickFrame> frame;
    try {
        frame.emplace(StickFrame::parse(bytes));
    } catch (const StickWireError& error) {
        StickLog::write([&] {
            return QStringLiteral("stick sent a frame that does not parse (%1 bytes, %2) — ignored")
                .arg(QString::number(bytes.size()), error.description());
        });
        return;
    }
    if (const auto* response = std::get_if<StickFrame::Response>(&frame->value))
        handleResponse(*response);
    else
        handleEvent(std::get<StickEvent>(frame->value));
}

void StickSession::State::handleResponse(const StickFrame::Response& response) {
    if (!pending || pending->seq != response.seq || pending->opcode != response.opcode) {
        StickLog::write([&] {
            return QStringLiteral("stick reply to op %1 seq %2 arrived with nothing waiting — "
                                  "ignored")
                .arg(response.opcode)
                .arg(response.seq);
        });
        return;
    }
    Pending request = finishTurn();
    StickLog::write([&] {
        return QStringLiteral("stick reply %1: %2")
            .arg(displayName(response.opcode), response.status.text());
    });
    request.continuation.resume(Response{response.status, response.payload});
}

void StickSession::State::handleEvent(const StickEvent& event) {
    if (const auto* changed = std::get_if<StickEvent::StateChanged>(&event.value)) {
        StickLog::write([&] { return QStringLiteral("stick state changed: ") + event.text(); });
        stateChanges.push(event);
        if (info) {
            info->usbState = changed->usbState;
            info->activeVolume = changed->activeVolume;
        }
        return;
    }
    if (std::holds_alternative<StickEvent::Unknown>(event.value))
        return;
    if (!std::holds_alternative<StickEvent::Ack>(event.value))
        StickLog::write([&] { return QStringLiteral("stick event ") + event.text(); });
    if (eventWaiter)
        std::exchange(eventWaiter, std::nullopt)->continuation.resume(event);
    else {
        if (events.size() == eventBound)
            events.pop_front();
        events.push_back(event);
    }
}

void StickSession::State::handleLinkEnd() {
    StickLog::write([&] {
        QString line = QStringLiteral("stick link closed");
        if (pending)
            line += QStringLiteral(" while waiting for ") + displayName(pending->opcode);
        return line;
    });
    closed = true;
    if (pending)
        finishTurn().continuation.fail(StickError::transferInterrupted());
    // Each woken caller finds the session closed and fails on its own.
    for (auto& waiter : std::exchange(turnWaiters, {}))
        waiter.resume();
    if (eventWaiter)
        std::exchange(eventWaiter, std::nullopt)->continuation.resume(std::nullopt);
    stateChanges.finish();
}

// Time-outs and write failures of requests.

void StickSession::State::replyTimedOut(quint8 requestSeq) {
    if (!pending || pending->seq != requestSeq)
        return;
    StickLog::write([&] {
        return QStringLiteral("stick request %1 seq %2 got no answer in time")
            .arg(displayName(pending->opcode), QString::number(requestSeq));
    });
    finishTurn().continuation.fail(StickError::timeout());
}

void StickSession::State::writeFailed(quint8 requestSeq, const std::exception_ptr& failure) {
    // A response may have ended the request before its write reported back.
    if (!pending || pending->seq != requestSeq)
        return;
    StickLog::write([&] {
        return QStringLiteral("stick request %1 could not be written: %2")
            .arg(displayName(pending->opcode), StickLog::describe(failure));
    });
    finishTurn().continuation.fail(writeError(failure));
}

StickSession::State::Pending StickSession::State::finishTurn() {
    Pending request = std::move(*pending);
    pending.reset();
    if (!turnWaiters.empty()) {
        auto next = std::move(turnWaiters.front());
        turnWaiters.pop_front();
        next.resume();
    }
    return request;
}

// Requests.

QCoro::Task<StickSession::Response> StickSession::State::exchange(std::shared_ptr<State> self,
                                                                  StickOpcode opcode,
                                                                  std::chrono::nanoseconds timeout,
                                                                  FrameBuilder build) {
    while (self->pending) {
        if (self->closed)
            throw StickError::transferInterrupted();
        // A caller whose turn was taken before it resumed queues again at the end.
        OneShot<void> turn;
        self->turnWaiters.push_back(turn);
        co_await turn;
    }
    if (self->closed)
        throw StickError::transferInterrupted();

    const quint8 seq = self->seq = self->seq == 255 ? 1 : self->seq + 1;
    QByteArray frame = build(seq);
    StickLog::write([&] {
        return QStringLiteral("stick request %1 seq %2").arg(displayName(opcode)).arg(seq);
    });

    OneShot<Response> response;
    const std::weak_ptr<State> weak = self;
    self->pending =
        Pending{seq, wireByte(opcode), response, self->clock.schedule(timeout, [weak, seq] {
                    if (auto state = weak.lock())
                        state->replyTimedOut(seq);
                })};
    // The write runs on its own: a response may end the request before the write returns.
    auto writing = writeRequest(weak, self->link, self->link->writeControl(std::move(frame)), seq);
    // A write the link took at once has already been followed to its end.
    if (!writing.isReady())
        Executor::spawn(std::move(writing));
    co_return co_await response;
}

// Transfer events.

QCoro::Task<std::optional<StickEvent>>
StickSession::State::nextEvent(std::shared_ptr<State> self, std::chrono::nanoseconds timeout) {
    if (!self->events.empty()) {
        StickEvent event = std::move(self->events.front());
        self->events.pop_front();
        co_return event;
    }
    if (self->closed)
        co_return std::nullopt;
    // Only one caller waits at a time; an earlier one left waiting would never be woken.
    if (self->eventWaiter)
        std::exchange(self->eventWaiter, std::nullopt)->continuation.resume(std::nullopt);
    const quint64 token = ++self->waiterToken;
    OneShot<std::optional<StickEvent>> event;
    self->eventWaiter = EventWaiter{token, event};
    const std::weak_ptr<State> weak = self;
    const ClockTimer timer = self->clock.schedule(timeout, [weak, token] {
        if (auto state = weak.lock())
            state->eventWaitTimedOut(token);
    });
    co_return co_await event;
}

void StickSession::State::eventWaitTimedOut(quint64 token) {
    if (eventWaiter && eventWaiter->token == token)
        std::exchange(eventWaiter, std::nullopt)->continuation.resume(std::nullopt);
}

// The session's operations.
//
// Each copies the state before its first suspension and touches only that copy afterwards, so an
// operation in progress outlives the StickSession object that started it.

StickSession::StickSession(std::shared_ptr<StickLink> link, Clock& clock)
    : m_state(std::make_shared<State>(std::move(link), clock)) {
    Executor::spawn(State::readFrames(m_state, m_state->link->replies()));
}

StickSession::~StickSession() = default;

std::optional<StickInfo> StickSession::info() const {
    return m_state->info;
}

AsyncQueue<StickEvent> StickSession::stateChanges() const {
    return m_state->stateChanges;
}

QCoro::Task<StickSession::Response>
StickSession::exchange(StickOpcode opcode, std::chrono::nanoseconds timeout, FrameBuilder build) {
    return State::exchange(m_state, opcode, timeout, std::move(build));
}

QCoro::Task<StickInfo> StickSession::getInfo() {
    const auto state = m_state;
    const Response response = co_await State::exchange(state, StickOpcode::getInfo, requestTimeout,
                                                       &StickRequest::getInfo);
    if (response.status.rawValue == StickStatus::unsupportedVersion) {
        std::optional<StickInfo> told;
        try {
            told = StickReply::info(response.payload);
        } catch (const StickWireError&) {
            // The stick's version stays unknown: "?" below.
        }
        if (!told)
            throw StickError::firmwareIncompatible(QStringLiteral("?"), QStringLiteral("?"));
        throw StickError::firmwareIncompatible(
            QStringLiteral("%1.%2").arg(told->protocolMajor).arg(told->protocolMinor),
            told->firmwareVersion);
    }
    StickError::check(response.status);
    StickInfo info = decoded(&StickReply::info, response.payload);
    state->info = info;
    co_return info;
}

QCoro::Task<StickReply::Begin> StickSession::begin(quint32 size, QByteArray sha256, quint32 mtime,
                                                   bool overwrite, QString name) {
    const auto state = m_state;
    const Response response =
        co_await State::exchange(state, StickOpcode::begin, requestTimeout, [&](quint8 seq) {
            return StickRequest::begin(seq, size, sha256, mtime, overwrite, name);
        });
    switch (response.status.rawValue) {
    case StickStatus::badName:
    case StickStatus::badExtension:
        throw StickError::nameRejected(name);
    case StickStatus::tooLarge:
        throw StickError::fileTooLarge(state->info ? state->info->maxFileSize : 0);
    case StickStatus::nameExists:
        throw StickError::nameExists({name});
    default:
        StickError::check(response.status);
    }
    co_return decoded(&StickReply::begin, response.payload);
}

QCoro::Task<StickReply::Commit> StickSession::commit(quint8 transferID) {
    const auto state = m_state;
    // HASH_MISMATCH needs no reading of its own: the general one gives integrityMismatch.
    const Response response = co_await State::exchange(
        state, StickOpcode::commit, commitTimeout,
        [transferID](quint8 seq) { return StickRequest::commit(seq, transferID); });
    StickError::check(response.status);
    co_return decoded(&StickReply::commit, response.payload);
}

QCoro::Task<void> StickSession::abort(quint8 transferID) {
    const auto state = m_state;
    const Response response = co_await State::exchange(
        state, StickOpcode::abort, requestTimeout,
        [transferID](quint8 seq) { return StickRequest::abort(seq, transferID); });
    // Nothing left to abort is what the caller wanted.
    if (response.status.rawValue != StickStatus::noTransfer)
        StickError::check(response.status);
}

QCoro::Task<QList<StickFileEntry>> StickSession::list() {
    const auto state = m_state;
    QList<StickFileEntry> result;
    QSet<QString> seen;
    quint16 start = 0;
    for (;;) {
        const Response response =
            co_await State::exchange(state, StickOpcode::list, requestTimeout, [start](quint8 seq) {
                return StickRequest::list(seq, start);
            });
        StickError::check(response.status);
        const StickReply::ListPage page = decoded(&StickReply::list, response.payload);
        for (const StickFileEntry& entry : page.entries) {
            // The first of two names differing only in letter case wins.
            const QString key = entry.name().toLower();
            if (!seen.contains(key)) {
                seen.insert(key);
                result.append(entry);
            }
        }
        // A stick that does not move on, or says it is done, ends the listing; the cap is tested
        // between pages only.
        if (!page.nextIndex || *page.nextIndex <= start || result.size() >= page.totalCount ||
            result.size() >= maxListEntries)
            co_return result;
        start = *page.nextIndex;
    }
}

QCoro::Task<void> StickSession::deleteFile(QString name) {
    const auto state = m_state;
    const Response response = co_await State::exchange(
        state, StickOpcode::deleteFile, requestTimeout,
        [&name](quint8 seq) { return StickRequest::deleteFile(seq, name); });
    if (response.status.rawValue == StickStatus::notFound)
        throw StickError::notFound(name);
    StickError::check(response.status);
}

QCoro::Task<void> StickSession::identify(quint8 seconds) {
    const auto state = m_state;
    const quint8 sent = std::clamp<quint8>(seconds, 1, 30);
    const Response response =
        co_await State::exchange(state, StickOpcode::identify, requestTimeout,
                                 [sent](quint8 seq) { return StickRequest::identify(seq, sent); });
    StickError::check(response.status);
}

QCoro::Task<StickReply::LastResult> StickSession::lastResult() {
    const auto state = m_state;
    const Response response = co_await State::exchange(state, StickOpcode::lastResult,
                                                       requestTimeout, &StickRequest::lastResult);
    StickError::check(response.status);
    co_return decoded(&StickReply::lastResult, response.payload);
}

QCoro::Task<std::optional<StickEvent>> StickSession::nextEvent(std::chrono::nanoseconds timeout) {
    return State::nextEvent(m_state, timeout);
}

// The data stream.

QCoro::Task<void> StickSession::sendData(quint8 transferID, QByteArray bytes, qint64 window,
                                         int maxChunk, Progress progress, std::stop_token stop) {
    const auto state = m_state;
    const int frameLength = co_await state->link->maxDataFrameLength();
    const qint64 chunk = std::min<qint64>(
        {frameLength - StickProtocol::chunkHeader, maxChunk, StickProtocol::maxChunkCap});
    if (chunk <= 0)
        throw StickError::mtuTooSmall();
    DataStream stream(transferID, bytes.size(), chunk, std::max(window, chunk), progress,
                      state->clock.now());
    // Events of earlier transfers mean nothing to this one.
    state->events.clear();
    StickLog::write([&] {
        return QStringLiteral("stick data: %1 bytes, chunks of %2, window %3")
            .arg(stream.total)
            .arg(stream.chunk)
            .arg(stream.windowBytes);
    });

    while (stream.acked < stream.total) {
        if (stop.stop_requested())
            throw StickError::cancelled();
        if (state->closed)
            throw StickError::transferInterrupted();
        // Acknowledgements that came in during the last write count before the next decision.
        while (!state->events.empty()) {
            const StickEvent event = std::move(state->events.front());
            state->events.pop_front();
            stream.process(event, state->clock.now());
        }
        if (stream.acked == stream.total)
            break;

        const qint64 n = std::min(stream.total - stream.next, stream.chunk);
        if (stream.next < stream.total && stream.next + n <= stream.acked + stream.windowBytes) {
            const qint64 offset = stream.next;
            QByteArray frame =
                StickRequest::dataChunk(transferID, quint32(offset),
                                        QByteArray::fromRawData(bytes.constData() + offset, n));
            // A write the link takes at once holds nothing; only one that suspends is timed,
            // which keeps the clock out of the fast path.
            auto write = state->link->writeData(std::move(frame), stop);
            std::optional<std::chrono::nanoseconds> t0;
            if (!write.isReady())
                t0 = state->clock.now();
            std::exception_ptr failure;
            try {
                co_await write;
            } catch (...) {
                failure = std::current_exception();
            }
            if (failure) {
                StickLog::write([&] {
                    return QStringLiteral("stick data: chunk at %1 failed: %2")
                        .arg(QString::number(offset), StickLog::describe(failure));
                });
                throw writeError(failure);
            }
            if (t0) {
                const auto held = state->clock.now() - *t0;
                if (held > 1s)
                    StickLog::write([&] {
                        return QStringLiteral("stick data: the iPad held chunk at %1 for %2 "
                                              "before it went out")
                            .arg(QString::number(offset), durationText(held));
                    });
            }
            ++stream.chunksWritten;
            stream.next = offset + n;
            continue;
        }

        if (auto event = co_await State::nextEvent(state, probeInterval)) {
            stream.process(*event, state->clock.now());
            continue;
        }
        if (state->closed)
            throw StickError::transferInterrupted();
        if (state->clock.now() - stream.lastProgress <= ackStallTimeout) {
            StickLog::write([&] {
                return QStringLiteral("stick data: silence — sending again from %1 (sent up to "
                                      "%2, %3 chunks written)")
                    .arg(stream.acked)
                    .arg(stream.next)
                    .arg(stream.chunksWritten);
            });
            stream.next = stream.acked;
            continue;
        }
        StickLog::write([&] {
            return QStringLiteral("stick data: no progress for %1 — giving up (sent up to %2, "
                                  "acked %3 of %4, %5 chunks written)")
                .arg(durationText(ackStallTimeout))
                .arg(stream.next)
                .arg(stream.acked)
                .arg(stream.total)
                .arg(stream.chunksWritten);
        });
        throw StickError::timeout();
    }
}
