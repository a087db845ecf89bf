#include "SessionFixture.h"

#include "SendKit/protocol/StickReply.h"

#include <stdexcept>

using namespace std::chrono_literals;

namespace {

using RequestTest = SessionFixture;

QCoro::Task<StickSession::Response> lastResultExchange(StickSession& session) {
    return session.exchange(StickOpcode::lastResult, 5s, &StickRequest::lastResult);
}

TEST_F(RequestTest, NumbersRequestsFromOneWrapsPastZeroAndReturnsAnyStatusUnjudged) {
    answerEveryRequest(StickStatus::busy, "\x01\x02");
    for (int i = 0; i < 255; ++i)
        harness.run(lastResultExchange(*session));
    const auto response = harness.run(lastResultExchange(*session));
    EXPECT_EQ(response.status, StickStatus{StickStatus::busy});
    EXPECT_EQ(response.payload, QByteArray("\x01\x02"));
    const auto sent = requests();
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(sent[i].seq, i + 1);
    EXPECT_EQ(sent[255].seq, 1);
}

TEST_F(RequestTest, IgnoresFramesNoRequestWaitsForAndGoesOnAfterATimeOut) {
    // Garbage, the right seq with the wrong opcode, the right opcode with the wrong seq.
    link->answerControl = [](const QByteArray& request) {
        const auto frame = StickRequest::Frame::parse(request);
        return QList<QByteArray>{QByteArray("\x05\x00", 2),
                                 stick::response(wireByte(StickOpcode::lastResult), frame.seq),
                                 stick::response(frame.opcode, quint8(frame.seq + 1))};
    };
    EXPECT_EQ(failureOf(session->getInfo()), StickError::timeout());
    EXPECT_EQ(harness.now(), 5s);

    // The reply that comes too late is dropped as well.
    link->deliver(stick::responseTo(link->controlFrames().at(0), StickStatus::ok,
                                    StickReply::payload(stick::info())));
    harness.settle();
    EXPECT_EQ(session->info(), std::nullopt);

    answerEveryRequest(StickStatus::ok, StickReply::payload(stick::info()));
    EXPECT_EQ(harness.run(session->getInfo()), stick::info());
    EXPECT_EQ(requests().at(1).seq, 2);
}

TEST_F(RequestTest, CallersTakeTurnsInArrivalOrder) {
    // The stick answers each request one second after it came.
    std::vector<ClockTimer> answers;
    link->answerControl = [&](const QByteArray& request) {
        answers.push_back(harness.clock().schedule(
            1s, [this, request] { link->deliver(stick::responseTo(request)); }));
        return QList<QByteArray>{};
    };
    // Tasks start running when created, so they are created one statement at a time.
    auto first = harness.start(session->identify(1));
    auto second = harness.start(session->identify(2));
    auto third = harness.start(lastResultExchange(*session));
    harness.settle();
    EXPECT_EQ(link->controlFrames().size(), 1);
    harness.run(third);
    EXPECT_TRUE(first.isDone() && second.isDone());
    const auto sent = requests();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(StickRequest::decodeIdentify(sent[1].body), 2);
    EXPECT_EQ(sent[2].opcode, wireByte(StickOpcode::lastResult));
    EXPECT_EQ(harness.now(), 3s);
}

TEST_F(RequestTest, AFailedWriteEndsTheRequestWithItsErrorUnlessTheReplyCameFirst) {
    link->controlFaults[0] = {0s, std::make_exception_ptr(StickError::bluetoothOff())};
    link->controlFaults[1] = {2s, std::make_exception_ptr(std::runtime_error("socket gone"))};
    EXPECT_EQ(failureOf(session->identify(1)), StickError::bluetoothOff());
    EXPECT_EQ(failureOf(session->identify(1)), StickError::transferInterrupted());

    answerEveryRequest();
    link->controlFaults[2] = {1s, std::make_exception_ptr(StickError::timeout())};
    EXPECT_NO_THROW(harness.run(session->identify(1)));
    harness.advance(2s);
    EXPECT_NO_THROW(harness.run(session->identify(1)));
}

TEST_F(RequestTest, LinkEndFailsEveryWaiterAndClosesForGood) {
    link->deliver(stick::nack(2, 100));
    auto commit = harness.start(session->commit(1));
    auto waitingTurn = harness.start(session->identify(1));
    auto stateChanges = session->stateChanges();
    harness.advance(30s);

    link->end();
    harness.settle();
    EXPECT_EQ(harness.now(), 30s);
    EXPECT_EQ(failureOf(commit), StickError::transferInterrupted());
    EXPECT_EQ(failureOf(waitingTurn), StickError::transferInterrupted());
    EXPECT_EQ(harness.runWithoutTime(nextOf(stateChanges)), std::nullopt);

    // Closed: requests fail at once without a write, queued events are still handed out.
    EXPECT_EQ(failureOf(session->getInfo()), StickError::transferInterrupted());
    EXPECT_EQ(link->controlFrames().size(), 1);
    EXPECT_EQ(harness.runWithoutTime(session->nextEvent(1s)),
              (StickEvent{StickEvent::Nack{2, 100}}));
    EXPECT_EQ(harness.runWithoutTime(session->nextEvent(1s)), std::nullopt);
}

TEST_F(RequestTest, TransferEventsAreHandedOutInArrivalOrder) {
    link->deliver(stick::nack(1, 400));
    link->deliver(stick::event({StickEvent::Unknown{0xC9}}));
    link->deliver(stick::ack(1, 800));
    harness.settle();
    EXPECT_EQ(harness.runWithoutSuspending(session->nextEvent(1s)),
              (StickEvent{StickEvent::Nack{1, 400}}));
    EXPECT_EQ(harness.runWithoutSuspending(session->nextEvent(1s)),
              (StickEvent{StickEvent::Ack{1, 800}}));

    auto waiting = harness.start(session->nextEvent(1s));
    link->deliver(stick::aborted(1, StickStatus::noSpace));
    link->deliver(stick::ack(1, 900));
    harness.settle();
    ASSERT_TRUE(waiting.isDone());
    EXPECT_EQ(waiting.result(),
              (StickEvent{StickEvent::TransferAborted{1, StickStatus{StickStatus::noSpace}}}));
    EXPECT_EQ(harness.runWithoutTime(session->nextEvent(1s)),
              (StickEvent{StickEvent::Ack{1, 900}}));

    // A stick that keeps sending while nobody streams: the newest events are kept, within bounds.
    for (quint32 offset = 1; offset <= 5000; ++offset)
        link->deliver(stick::ack(2, offset));
    harness.settle();
    EXPECT_EQ(harness.runWithoutSuspending(session->nextEvent(1s)),
              (StickEvent{StickEvent::Ack{2, 5000 - 4096 + 1}}));
}

TEST_F(RequestTest, StateChangesArePublishedAndKeepTheCachedInfoCurrent) {
    auto changes = session->stateChanges();
    answerEveryRequest(StickStatus::ok, StickReply::payload(stick::info()));
    harness.run(session->getInfo());
    link->deliver(stick::stateChanged(0, 1));
    link->deliver(stick::stateChanged(3, 2));
    harness.settle();
    StickInfo expected = stick::info();
    expected.usbState = StickUSBState::fromByte(3);
    expected.activeVolume = 2;
    EXPECT_EQ(session->info(), expected);
    // Only the newest undelivered change is kept, and none is a transfer event.
    EXPECT_EQ(harness.runWithoutSuspending(nextOf(changes)),
              (StickEvent{StickEvent::StateChanged{StickUSBState::fromByte(3), 2, 0}}));
    EXPECT_EQ(changes.size(), 0u);
    EXPECT_EQ(harness.run(session->nextEvent(1s)), std::nullopt);
}

TEST_F(RequestTest, AReleasedSessionIsNeverTouchedAgain) {
    session.reset();
    link->deliver(stick::response(1, 1));
    link->deliver(stick::ack(1, 10));
    link->deliver(stick::stateChanged(1, 0));
    link->end();
    harness.settle();
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(RequestTest, AnOperationInProgressOutlivesItsSession) {
    // The write fails only after the reply came and the session is gone.
    link->controlFaults[0] = {3s, std::make_exception_ptr(std::runtime_error("late"))};
    auto running = harness.start(session->getInfo());
    session.reset();
    harness.advance(1s);
    link->deliver(stick::response(1, 1, StickStatus::ok, StickReply::payload(stick::info())));
    EXPECT_EQ(harness.run(running), stick::info());
    harness.advance(5s);
    link->end();
    harness.settle();
}

} // namespace
