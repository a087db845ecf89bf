#include "LoopbackBench.h"

#include "SendKit/session/StickSession.h"

#include <gtest/gtest.h>

namespace {

QCoro::Task<StickReply::Commit> sendFile(StickSession& session, QString name, QByteArray data) {
    const StickReply::Begin begin =
        co_await session.begin(quint32(data.size()), sha256(data), 0x5F000000, false, name);
    co_await session.sendData(begin.transferID, data, begin.window, begin.maxChunk, [](qint64) {});
    co_return co_await session.commit(begin.transferID);
}

} // namespace

// Whole sends through the session are the send flow's tests; this keeps what only the simulated
// stick shows: chunks lost without a word, here under the manual clock as the application runs.
TEST(LoopbackSession, TheStreamRecoversDroppedChunks) {
    TestHarness harness;
    const std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(LoopbackBench::deviceName);
    StickSession session{stick->connect(), harness.clock()};
    const QByteArray data = patternBytes(40'000);
    // One chunk in the middle, answered by a NACK, and the last one, which only silence reveals.
    stick->setFaults({.dropChunksAt = {507 * 20, 507 * 78}});

    const StickReply::Commit commit = harness.run(sendFile(session, "a.dst", data));
    EXPECT_EQ(commit.storedSHA256, sha256(data));
    EXPECT_EQ(stick->files().at("a.dst").data, data);
    EXPECT_TRUE(stick->faults().dropChunksAt.empty());
    EXPECT_EQ(harness.now(), StickSession::probeInterval);
}
