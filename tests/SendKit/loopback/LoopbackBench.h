#pragma once

#include "SendKit/StickError.h"
#include "SendKit/loopback/LoopbackLink.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickEvent.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickReply.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/protocol/StickStatus.h"
#include "support/TestData.h"
#include "support/TestHarness.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

inline QByteArray sha256(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

// A simulated stick with one open link, fed frame by frame as the host would feed it, with the
// frames the stick answered read back from the link's replies.
class LoopbackBench {
public:
    static inline const QString deviceName = QStringLiteral("Brindle 7F3A");

    LoopbackBench()
        : stick(LoopbackStick::create(deviceName))
        , link(stick->connect()) {}

    // Every frame waiting on the link, oldest first; none of them is left behind.
    QList<QByteArray> drain() { return harness.runWithoutSuspending(take(link->replies())); }

    // Feeds one request frame to the stick and returns what it answered.
    QList<QByteArray> request(const QByteArray& frame) {
        stick->receiveRequest(frame);
        return drain();
    }

    // The one response the request gets; fails the test when it gets anything else.
    StickFrame::Response respond(const QByteArray& frame) {
        const QList<QByteArray> frames = request(frame);
        EXPECT_EQ(frames.size(), 1) << "frames answered";
        if (frames.isEmpty())
            return {};
        const StickFrame parsed = StickFrame::parse(frames.first());
        const auto* response = std::get_if<StickFrame::Response>(&parsed.value);
        EXPECT_NE(response, nullptr) << "the answer is an event";
        return response ? *response : StickFrame::Response{};
    }
    // The status byte of the one response, as a number gtest prints readably.
    int status(const QByteArray& frame) { return respond(frame).status.rawValue; }

    // Feeds one data chunk and returns the events the stick sent for it.
    QList<StickEvent> chunk(quint8 transferID, quint32 offset, const QByteArray& bytes) {
        stick->receiveChunk(StickRequest::dataChunk(transferID, offset, bytes));
        QList<StickEvent> events;
        for (const QByteArray& frame : drain())
            events.append(std::get<StickEvent>(StickFrame::parse(frame).value));
        return events;
    }

    // Opens a transfer for the data under the name; returns its identifier.
    quint8 begin(const QString& name, const QByteArray& data, bool overwrite = false,
                 quint32 mtime = 0) {
        const StickFrame::Response response = respond(
            StickRequest::begin(1, quint32(data.size()), sha256(data), mtime, overwrite, name));
        EXPECT_EQ(response.status.rawValue, StickStatus::ok) << "BEGIN " << name.toStdString();
        return response.status.isOK() ? StickReply::begin(response.payload).transferID : 0;
    }

    // Streams the data in order in chunks of the given size; returns every event.
    QList<StickEvent> stream(quint8 transferID, const QByteArray& data, int chunkSize = 500) {
        QList<StickEvent> events;
        for (qsizetype offset = 0; offset < data.size(); offset += chunkSize)
            events += chunk(transferID, quint32(offset), data.mid(offset, chunkSize));
        return events;
    }

    // The whole send of one file, ending with the COMMIT's response.
    StickFrame::Response send(const QString& name, const QByteArray& data, bool overwrite = false) {
        const quint8 id = begin(name, data, overwrite);
        stream(id, data);
        return respond(StickRequest::commit(2, id));
    }

    TestHarness harness;
    std::shared_ptr<LoopbackStick> stick;
    std::unique_ptr<LoopbackLink> link;

private:
    static QCoro::Task<QList<QByteArray>> take(AsyncQueue<QByteArray> queue) {
        QList<QByteArray> frames;
        while (queue.size() > 0)
            frames.append(*co_await queue.next());
        co_return frames;
    }
};

// The StickError the task fails with, or none when it succeeds; it must not suspend.
template <class T> std::optional<StickError> failureOf(TestHarness& harness, QCoro::Task<T> task) {
    return stickFailure([&] { harness.runWithoutSuspending(std::move(task)); });
}

inline StickEvent ack(quint8 transferID, quint32 offset) {
    return {StickEvent::Ack{transferID, offset}};
}
inline StickEvent nack(quint8 transferID, quint32 expectedOffset) {
    return {StickEvent::Nack{transferID, expectedOffset}};
}
