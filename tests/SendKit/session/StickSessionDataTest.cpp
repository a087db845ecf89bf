#include "SessionFixture.h"

#include <QSet>

#include <stdexcept>
#include <stop_token>

using namespace std::chrono_literals;

namespace {

constexpr quint8 transfer = 7;

// A stick that stores chunks in order: each chunk that continues its data is kept and
// acknowledged; one that does not is answered with a NACK naming the offset it expects. Writes
// listed in `lost` never reach it.
struct OrderedStick {
    QByteArray received;
    QSet<int> lost;
    int writes = 0;

    QList<QByteArray> take(const QByteArray& frame) {
        if (lost.contains(writes++))
            return {};
        const auto chunk = StickRequest::DataChunk::parse(frame);
        if (chunk.offset != quint32(received.size()))
            return {stick::nack(chunk.transferID, quint32(received.size()))};
        received += chunk.bytes;
        return {stick::ack(chunk.transferID, quint32(received.size()))};
    }
};

class DataTest : public SessionFixture {
protected:
    // Bytes that differ from one offset to the next, so a misplaced chunk shows.
    static QByteArray file(int size) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + i / 251);
        return bytes;
    }

    QCoro::Task<void> send(const QByteArray& bytes, qint64 window = 16384, int maxChunk = 400,
                           std::stop_token stop = {}) {
        return session->sendData(
            transfer, bytes, window, maxChunk, [this](qint64 acked) { progress << acked; }, stop);
    }

    void useOrderedStick() {
        link->answerData = [this](const QByteArray& frame) { return stick.take(frame); };
    }

    // Offset and length of every chunk written so far.
    QList<std::pair<quint32, int>> chunks() const {
        QList<std::pair<quint32, int>> sent;
        for (const QByteArray& frame : link->dataFrames()) {
            const auto chunk = StickRequest::DataChunk::parse(frame);
            EXPECT_EQ(chunk.transferID, transfer);
            sent.append({chunk.offset, int(chunk.bytes.size())});
        }
        return sent;
    }

    void deliver(const QByteArray& frame) {
        link->deliver(frame);
        harness.settle();
    }

    OrderedStick stick;
    QList<qint64> progress;
};

using Chunks = QList<std::pair<quint32, int>>;

// MARK: set-up

TEST_F(DataTest, SizesChunksToTheLinkAndTheStick) {
    struct Case {
        int frameLength;
        int maxChunk;
        int chunk;
    };
    useOrderedStick();
    for (const Case c : {Case{185, 500, 180}, Case{600, 500, 500}, Case{1000, 1000, 507}}) {
        link->maxFrameLength = c.frameLength;
        log.clear();
        stick.received.clear();
        const auto before = link->dataFrames().size();
        harness.run(send(file(2000), 16384, c.maxChunk));
        EXPECT_EQ(
            log.first(),
            QStringLiteral("stick data: 2000 bytes, chunks of %1, window 16384").arg(c.chunk));
        EXPECT_EQ(link->dataFrames().at(before).size(), 5 + c.chunk);
        EXPECT_EQ(stick.received, file(2000));
    }
}

TEST_F(DataTest, RefusesALinkWithNoRoomForAChunkByteAndSendsNothingForAnEmptyFile) {
    for (auto [frameLength, maxChunk] :
         std::initializer_list<std::pair<int, int>>{{5, 500}, {4, 500}, {185, 0}}) {
        link->maxFrameLength = frameLength;
        EXPECT_EQ(failureOf(send(QByteArray(), 16384, maxChunk)), StickError::mtuTooSmall());
        EXPECT_EQ(failureOf(send(file(10), 16384, maxChunk)), StickError::mtuTooSmall());
    }
    EXPECT_TRUE(log.isEmpty());
    harness.runWithoutTime(send(QByteArray()));
    EXPECT_TRUE(link->dataFrames().isEmpty());
    EXPECT_TRUE(progress.isEmpty());
}

TEST_F(DataTest, EventsOfEarlierTransfersAreDiscarded) {
    deliver(stick::ack(transfer, 1000));
    deliver(stick::aborted(transfer, StickStatus::noSpace));
    useOrderedStick();
    harness.run(send(file(1000)));
    EXPECT_EQ(progress, (QList<qint64>{400, 800, 1000}));
}

// MARK: the window

TEST_F(DataTest, FillsTheWindowBeforeWaitingAndOnlyMovesForward) {
    auto running = harness.start(send(file(1000), 800, 400));
    harness.settle();
    EXPECT_EQ(chunks(), (Chunks{{0, 400}, {400, 400}}));
    deliver(stick::ack(transfer, 400));
    deliver(stick::ack(transfer, 400));
    deliver(stick::ack(transfer, 200));
    EXPECT_EQ(progress, QList<qint64>{400});
    EXPECT_EQ(chunks(), (Chunks{{0, 400}, {400, 400}, {800, 200}}));
    // Beyond the end counts as the end.
    deliver(stick::ack(transfer, 5000));
    EXPECT_TRUE(running.isDone());
    EXPECT_EQ(harness.now(), 0s);
    EXPECT_EQ(progress, (QList<qint64>{400, 1000}));
}

TEST_F(DataTest, AWindowSmallerThanAChunkStillLetsOneChunkFly) {
    auto running = harness.start(send(file(540), 100, 180));
    harness.settle();
    EXPECT_EQ(log.first(), "stick data: 540 bytes, chunks of 180, window 180");
    EXPECT_EQ(chunks(), (Chunks{{0, 180}}));
    deliver(stick::ack(transfer, 180));
    EXPECT_EQ(chunks(), (Chunks{{0, 180}, {180, 180}}));
    deliver(stick::ack(transfer, 360));
    deliver(stick::ack(transfer, 540));
    EXPECT_TRUE(running.isDone());
    EXPECT_EQ(chunks().size(), 3);
}

// MARK: NACK, silence and stalls

TEST_F(DataTest, ANackSendsAgainFromTheOffsetTheStickExpects) {
    auto running = harness.start(send(file(2000), 1200, 400));
    harness.settle();
    EXPECT_EQ(chunks().size(), 3);
    deliver(stick::nack(transfer, 400));
    EXPECT_EQ(chunks(), (Chunks{{0, 400}, {400, 400}, {800, 400}, {400, 400}, {800, 400}}));

    // A NACK past the end leaves nothing to send until the silence rewinds the stream.
    deliver(stick::nack(transfer, 9000));
    EXPECT_EQ(chunks().size(), 5);
    harness.advance(1s);
    EXPECT_EQ(chunks().mid(5), (Chunks{{0, 400}, {400, 400}, {800, 400}}));
    deliver(stick::ack(transfer, 2000));
    EXPECT_TRUE(running.isDone());
}

TEST_F(DataTest, ALostChunkIsRecoveredAndTheStickGetsTheWholeFile) {
    useOrderedStick();
    stick.lost = {2, 5};
    harness.run(send(file(5000), 2000, 400));
    EXPECT_EQ(stick.received, file(5000));
    // Recovered by the stick's NACKs, not by waiting for silence.
    EXPECT_EQ(harness.now(), 0s);
    EXPECT_FALSE(logLines("stick data: NACK").isEmpty());
}

TEST_F(DataTest, SilenceSendsAgainUntilTheStallLimit) {
    EXPECT_EQ(failureOf(send(file(1000), 4096, 400)), StickError::timeout());
    EXPECT_EQ(harness.now(), 11s);
    EXPECT_EQ(logLines("stick data: silence").size(), 10);
    EXPECT_EQ(chunks().mid(30), (Chunks{{0, 400}, {400, 400}, {800, 200}}));
}

TEST_F(DataTest, AnAdvancingAcknowledgementRestartsTheStallLimit) {
    auto running = harness.start(send(file(1000), 4096, 400));
    harness.advance(9500ms);
    deliver(stick::ack(transfer, 400));
    harness.advance(10s);
    EXPECT_FALSE(running.isDone());
    EXPECT_EQ(logLines("stick data: silence — sending again from 400").size(), 10);
    harness.advance(2s);
    EXPECT_EQ(failureOf(running), StickError::timeout());
}

// MARK: progress

TEST_F(DataTest, ReportsEachAdvancingAcknowledgement) {
    auto running = harness.start(send(file(1000), 4096, 400));
    harness.settle();
    for (quint32 offset : {300u, 600u, 1000u})
        deliver(stick::ack(transfer, offset));
    EXPECT_TRUE(running.isDone());
    EXPECT_EQ(progress, (QList<qint64>{300, 600, 1000}));
}

// MARK: how a stream fails

TEST_F(DataTest, ATransferAbortedByTheStickFailsWithItsReason) {
    const QList<std::pair<quint8, StickError>> cases = {
        {StickStatus::timeout, StickError::timeout()},
        {StickStatus::noSpace, StickError::storageFull()},
        {StickStatus::badRequest, StickError::refused({StickStatus::badRequest})},
        {StickStatus::ok, StickError::refused({StickStatus::ok})},
    };
    for (const auto& [status, expected] : cases) {
        auto running = harness.start(send(file(1000), 400, 400));
        harness.settle();
        deliver(stick::aborted(transfer + 1, status)); // another transfer's: ignored
        deliver(stick::ack(transfer + 1, 1000));
        EXPECT_FALSE(running.isDone());
        deliver(stick::aborted(transfer, status));
        ASSERT_TRUE(running.isDone());
        EXPECT_EQ(failureOf(running), expected);
    }
}

TEST_F(DataTest, CancellationIsSeenAtTheNextPass) {
    std::stop_source stop;
    auto running = harness.start(send(file(1000), 400, 400, stop.get_token()));
    harness.advance(200ms);
    stop.request_stop();
    harness.settle();
    EXPECT_FALSE(running.isDone());
    // The event wait in progress runs to its end first.
    harness.advance(800ms);
    ASSERT_TRUE(running.isDone());
    EXPECT_EQ(failureOf(running), StickError::cancelled());
    EXPECT_EQ(chunks().size(), 1);

    EXPECT_EQ(failureOf(send(file(10), 400, 400, stop.get_token())), StickError::cancelled());
    EXPECT_EQ(chunks().size(), 1);
}

TEST_F(DataTest, TheLinkEndingInterruptsTheStream) {
    auto waiting = harness.start(send(file(1000), 400, 400));
    harness.advance(300ms);
    link->end();
    harness.settle();
    ASSERT_TRUE(waiting.isDone());
    EXPECT_EQ(failureOf(waiting), StickError::transferInterrupted());
    EXPECT_EQ(failureOf(send(file(1000))), StickError::transferInterrupted());
    EXPECT_EQ(chunks().size(), 1);
}

TEST_F(DataTest, AFailedChunkWriteFailsTheStream) {
    useOrderedStick();
    link->dataFaults[1] = {0s, std::make_exception_ptr(StickError::bluetoothOff())};
    link->dataFaults[2] = {0s, std::make_exception_ptr(std::runtime_error("gone"))};
    EXPECT_EQ(failureOf(send(file(1000))), StickError::bluetoothOff());
    stick.received.clear();
    EXPECT_EQ(failureOf(send(file(1000))), StickError::transferInterrupted());
}

} // namespace
