#pragma once

#include "tests/support/TestLink.h"

#include "SendKit/StickError.h"
#include "SendKit/protocol/StickEvent.h"
#include "SendKit/protocol/StickInfo.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/session/StickSession.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHarness.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// The stick's side of the conversation, as frames.
namespace stick {

// The response to a request frame: its opcode and seq, the given status and payload.
QByteArray responseTo(const QByteArray& request, quint8 status = StickStatus::ok,
                      const QByteArray& payload = {});
QByteArray response(quint8 opcode, quint8 seq, quint8 status = StickStatus::ok,
                    const QByteArray& payload = {});
QByteArray event(const StickEvent& event);
QByteArray ack(quint8 transferID, quint32 offset);
QByteArray nack(quint8 transferID, quint32 expectedOffset);
QByteArray aborted(quint8 transferID, quint8 status);
QByteArray stateChanged(quint8 usbState, quint8 activeVolume, quint8 sdFlags = 0);

// A plausible GET_INFO record, to be adjusted by the test.
StickInfo info();

} // namespace stick

// The next element of a stream, as a task the harness can run.
template <class T> QCoro::Task<std::optional<T>> nextOf(AsyncQueue<T> queue) {
    co_return co_await queue.next();
}

// A session over a test link played by the test under the manual clock, collecting the log lines it
// writes.
class SessionFixture : public ::testing::Test {
protected:
    SessionFixture();
    ~SessionFixture() override;

    // The stick answers every request with this status and payload.
    void answerEveryRequest(quint8 status = StickStatus::ok, const QByteArray& payload = {});

    // The request frames written so far, split into their envelopes.
    QList<StickRequest::Frame> requests() const;

    // Runs the task to its end and returns the StickError it fails with; none when it succeeds.
    template <class T> std::optional<StickError> failureOf(QCoro::Task<T> task) {
        auto running = harness.start(std::move(task));
        return failureOf(running);
    }
    template <class T> std::optional<StickError> failureOf(Running<T>& running) {
        return stickFailure([&] { harness.run(running); });
    }

    TestHarness harness;
    std::shared_ptr<TestLink> link;
    std::unique_ptr<StickSession> session;
    QStringList log;
};
