#pragma once

#include "SendKit/async/AsyncQueue.h"
#include "SendKit/async/Clock.h"
#include "SendKit/protocol/StickEvent.h"
#include "SendKit/protocol/StickFileEntry.h"
#include "SendKit/protocol/StickInfo.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickReply.h"
#include "SendKit/protocol/StickStatus.h"
#include "SendKit/session/StickLink.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

// The protocol engine over one link to one stick: numbers and sends requests one at a time,
// matches each response to the request waiting for it, times requests out, queues transfer events
// for the data stream, publishes state changes, caches the stick's information, and turns statuses
// and undecodable payloads into StickError.
//
// Everything runs on the event loop's thread. An operation in progress keeps the session's state
// alive until it ends; the tasks the session starts itself (the reader of the link's frames, the
// time-outs, the request writes) hold it only weakly, so once the session and its operations are
// gone nothing touches it again. The session never closes its link: its owner does.
class StickSession {
public:
    static constexpr std::chrono::seconds requestTimeout{5};
    static constexpr std::chrono::seconds commitTimeout{60};
    // The data stream gives up after this long without an acknowledgement that advances.
    static constexpr std::chrono::seconds ackStallTimeout{10};
    // The data stream's event wait; silence that long makes it send again from the last ack.
    static constexpr std::chrono::seconds probeInterval{1};
    // Listing asks for no further page once it holds this many entries.
    static constexpr int maxListEntries = 4096;

    // A response's status and payload, not yet judged.
    struct Response {
        StickStatus status;
        QByteArray payload;
    };
    // Given the sequence number, returns the complete request frame.
    using FrameBuilder = std::function<QByteArray(quint8 seq)>;
    // Given the bytes of the file the stick has acknowledged so far; must not suspend.
    using Progress = std::function<void(qint64 acked)>;

    // Starts reading the link's frames at once. The clock measures every time-out.
    StickSession(std::shared_ptr<StickLink> link, Clock& clock);
    ~StickSession();
    StickSession(const StickSession&) = delete;
    StickSession& operator=(const StickSession&) = delete;

    // The stick information of the last successful getInfo(), kept current by state changes.
    std::optional<StickInfo> info() const;
    // Every stateChanged event, keeping only the newest undelivered one; ends with the link.
    AsyncQueue<StickEvent> stateChanges() const;

    // Sends one request in its turn and returns the stick's response, whatever its status.
    // Throws StickError: timeout, transferInterrupted, or the error of a failed write.
    QCoro::Task<Response> exchange(StickOpcode opcode, std::chrono::nanoseconds timeout,
                                   FrameBuilder build);

    // The requests of the protocol; each throws StickError.
    QCoro::Task<StickInfo> getInfo();
    // sha256 must be 32 bytes.
    QCoro::Task<StickReply::Begin> begin(quint32 size, QByteArray sha256, quint32 mtime,
                                         bool overwrite, QString name);
    QCoro::Task<StickReply::Commit> commit(quint8 transferID);
    QCoro::Task<void> abort(quint8 transferID);
    // Every page of the active volume's listing, each name once whatever its letter case.
    QCoro::Task<QList<StickFileEntry>> list();
    // DELETE.
    QCoro::Task<void> deleteFile(QString name);
    // Makes the stick show its name; seconds are sent as 1 to 30.
    QCoro::Task<void> identify(quint8 seconds);
    QCoro::Task<StickReply::LastResult> lastResult();

    // The next transfer event (ack, nack, transferAborted), oldest first; none when the time-out
    // passes first or the link has ended and no event is queued.
    QCoro::Task<std::optional<StickEvent>> nextEvent(std::chrono::nanoseconds timeout);

    // Streams one file's bytes after BEGIN under the stick's window and returns once the stick
    // has acknowledged all of them. Takes no turn: send no requests while it runs. Throws
    // StickError: mtuTooSmall, cancelled (stop requested), transferInterrupted, timeout, the
    // error of a failed chunk write, or the error a transferAborted event carries.
    QCoro::Task<void> sendData(quint8 transferID, QByteArray bytes, qint64 window, int maxChunk,
                               Progress progress, std::stop_token stop = {});

private:
    class State;
    std::shared_ptr<State> m_state;
};
