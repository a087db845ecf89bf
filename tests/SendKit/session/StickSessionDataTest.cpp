#include "SessionFixture.h"

#include <stdexcept>
#include <stop_token>

using namespace std::chrono_literals;

namespace {

constexpr quint8 transfer = 7;
using Chunks = QList<std::pair<quint32, int>>;

class DataTest : public SessionFixture {
protected:
    QCoro::Task<void> send(const QByteArray& bytes, qint64 window = 16384, int maxChunk = 400,
                           std::stop_token stop = {}) {
        return session->sendData(
            transfer, bytes, window, maxChunk, [this](qint64 acked) { progress << acked; }, stop);
    }

    // A stick that keeps each chunk continuing its data and acknowledges it, and answers any
    // other with a NACK naming the offset it expects.
    void useOrderedStick() {
        link->answerData = [this](const QByteArray& frame) {
            const auto chunk = StickRequest::DataChunk::parse(frame);
            if (chunk.offset != quint32(received.size()))
                return QList<QByteArray>{stick::nack(transfer, quint32(received.size()))};
            received += chunk.bytes;
            return QList<QByteArray>{stick::ack(transfer, quint32(received.size()))};
        };
    }

    // Offset and length of every chunk written so far.
    Chunks chunks() const {
        Chunks sent;
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

    QByteArray received;
    QList<qint64> progress;
};

TEST_F(DataTest, SizesChunksToTheLinkAndTheStickAndLetsOneFlyWhateverTheWindow) {
    struct Case {
        int frameLength;
        int maxChunk;
        qint64 window;
        int chunk;
    };
    // Events of an earlier transfer mean nothing to this one.
    deliver(stick::aborted(transfer, StickStatus::noSpace));
    useOrderedStick();
    for (const Case c :
         {Case{185, 500, 100, 180}, Case{600, 500, 16384, 500}, Case{1000, 1000, 16384, 507}}) {
        link->maxFrameLength = c.frameLength;
        received.clear();
        const auto before = link->dataFrames().size();
        harness.runWithoutTime(send(patternBytes(2000), c.window, c.maxChunk));
        EXPECT_EQ(link->dataFrames().at(before).size(), 5 + c.chunk);
        EXPECT_EQ(received, patternBytes(2000));
    }
}

TEST_F(DataTest, RefusesALinkWithNoRoomForAChunkByteAndSendsNothingForAnEmptyFile) {
    link->maxFrameLength = 5;
    EXPECT_EQ(failureOf(send(patternBytes(10))), StickError::mtuTooSmall());
    link->maxFrameLength = 185;
    EXPECT_EQ(failureOf(send(patternBytes(10), 16384, 0)), StickError::mtuTooSmall());
    harness.runWithoutTime(send(QByteArray()));
    EXPECT_TRUE(link->dataFrames().isEmpty());
    EXPECT_TRUE(progress.isEmpty());
}

TEST_F(DataTest, FillsTheWindowBeforeWaitingAndOnlyMovesForward) {
    // A third chunk would pass the window by 200 bytes.
    auto running = harness.start(send(patternBytes(1200), 1000, 400));
    harness.settle();
    EXPECT_EQ(chunks(), (Chunks{{0, 400}, {400, 400}}));
    deliver(stick::ack(transfer + 1, 1200)); // another transfer's
    deliver(stick::ack(transfer, 400));
    deliver(stick::ack(transfer, 200));
    EXPECT_EQ(chunks(), (Chunks{{0, 400}, {400, 400}, {800, 400}}));
    // Beyond the end counts as the end.
    deliver(stick::ack(transfer, 5000));
    EXPECT_TRUE(running.isDone());
    EXPECT_EQ(progress, (QList<qint64>{400, 1200}));
}

TEST_F(DataTest, ANackSendsAgainFromTheOffsetTheStickExpects) {
    auto running = harness.start(send(patternBytes(2000), 1200, 400));
    harness.settle();
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

TEST_F(DataTest, SilenceSendsAgainUntilTheStallLimit) {
    EXPECT_EQ(failureOf(send(patternBytes(1000), 4096, 400)), StickError::timeout());
    EXPECT_EQ(harness.now(), 11s);
    EXPECT_EQ(chunks().size(), 33);
    EXPECT_EQ(chunks().mid(30), (Chunks{{0, 400}, {400, 400}, {800, 200}}));
}

TEST_F(DataTest, AnAdvancingAcknowledgementRestartsTheStallLimit) {
    auto running = harness.start(send(patternBytes(1000), 4096, 400));
    harness.advance(9500ms);
    deliver(stick::ack(transfer, 400));
    harness.advance(10s);
    EXPECT_FALSE(running.isDone());
    EXPECT_EQ(chunks().mid(chunks().size() - 2), (Chunks{{400, 400}, {800, 200}}));
    harness.advance(2s);
    EXPECT_EQ(failureOf(running), StickError::timeout());
}

TEST_F(DataTest, ReportsEachAdvancingAcknowledgementAndLogsEachQuarterPassed) {
    auto running = harness.start(send(patternBytes(1000), 4096, 400));
    harness.settle();
    for (quint32 offset : {200u, 250u, 400u, 600u, 1000u})
        deliver(stick::ack(transfer, offset));
    EXPECT_TRUE(running.isDone());
    EXPECT_EQ(progress, (QList<qint64>{200, 250, 400, 600, 1000}));
    EXPECT_EQ(log.mid(1), (QStringList{"stick data: 250 of 1000 acknowledged after 3 chunks",
                                       "stick data: 600 of 1000 acknowledged after 3 chunks",
                                       "stick data: 1000 of 1000 acknowledged after 3 chunks"}));
}

TEST_F(DataTest, ATransferAbortedByTheStickFailsWithItsReason) {
    auto running = harness.start(send(patternBytes(1000), 400, 400));
    harness.settle();
    deliver(stick::aborted(transfer + 1, StickStatus::noSpace)); // another transfer's: ignored
    EXPECT_FALSE(running.isDone());
    deliver(stick::aborted(transfer, StickStatus::noSpace));
    ASSERT_TRUE(running.isDone());
    EXPECT_EQ(failureOf(running), StickError::storageFull());
}

TEST_F(DataTest, CancellationIsSeenAtTheNextPass) {
    std::stop_source stop;
    auto running = harness.start(send(patternBytes(1000), 400, 400, stop.get_token()));
    harness.advance(200ms);
    stop.request_stop();
    harness.settle();
    // The event wait in progress runs to its end first.
    EXPECT_FALSE(running.isDone());
    harness.advance(800ms);
    EXPECT_EQ(failureOf(running), StickError::cancelled());
    EXPECT_EQ(chunks().size(), 1);
}

TEST_F(DataTest, TheLinkEndingInterruptsTheStream) {
    auto waiting = harness.start(send(patternBytes(1000), 400, 400));
    harness.advance(300ms);
    link->end();
    harness.settle();
    ASSERT_TRUE(waiting.isDone());
    EXPECT_EQ(failureOf(waiting), StickError::transferInterrupted());
    EXPECT_EQ(failureOf(send(patternBytes(1000))), StickError::transferInterrupted());
    EXPECT_EQ(chunks().size(), 1);
}

TEST_F(DataTest, AFailedChunkWriteFailsTheStream) {
    link->dataFaults[1] = {0s, std::make_exception_ptr(std::runtime_error("gone"))};
    EXPECT_EQ(failureOf(send(patternBytes(1000))), StickError::transferInterrupted());
}

} // namespace
