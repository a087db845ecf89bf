#include "LoopbackBench.h"

#include "SendKit/session/StickSession.h"

#include <gtest/gtest.h>

namespace {

// A session over a link to a simulated stick, under the manual clock, as the application runs it.
// Whole sends through the session are the send flow's tests; this keeps what only the simulated
// stick shows: chunks lost without a word.
struct SessionBench {
    TestHarness harness;
    std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(LoopbackBench::deviceName);
    std::shared_ptr<LoopbackLink> link = stick->connect();
    StickSession session{link, harness.clock()};
};

QCoro::Task<StickReply::Commit> sendFile(StickSession& session, QString name, QByteArray data) {
    const StickReply::Begin begin =
        co_await session.begin(quint32(data.size()), sha256(data), 0x5F000000, false, name);
    co_await session.sendData(begin.transferID, data, begin.window, begin.maxChunk, [](qint64) {});
    co_return co_await session.commit(begin.transferID);
}

} // namespace

TEST(LoopbackSession, TheStreamRecoversDroppedChunks) {
    SessionBench bench;
    const QByteArray data = patternBytes(40'000);
    // One chunk in the middle, answered by a NACK, and the last one, which only silence reveals.
    bench.stick->setFaults({.dropChunksAt = {507 * 20, 507 * 78}});

    const StickReply::Commit commit = bench.harness.run(sendFile(bench.session, "a.dst", data));
    EXPECT_EQ(commit.storedSHA256, sha256(data));
    EXPECT_EQ(bench.stick->files().at("a.dst").data, data);
    EXPECT_TRUE(bench.stick->faults().dropChunksAt.empty());
    EXPECT_EQ(bench.harness.now(), StickSession::probeInterval);
}
