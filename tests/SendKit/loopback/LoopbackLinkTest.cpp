#include "LoopbackBench.h"

#include <gtest/gtest.h>

namespace {

QCoro::Task<std::optional<QByteArray>> nextOf(AsyncQueue<QByteArray> queue) {
    co_return co_await queue.next();
}

} // namespace

TEST(LoopbackLink, OneConnectionAtATime) {
    LoopbackBench bench;
    try {
        bench.stick->connect();
        ADD_FAILURE() << "a second connection opened";
    } catch (const StickError& error) {
        EXPECT_EQ(error, StickError::stickUnreachable());
    }
    EXPECT_TRUE(bench.stick->isCurrent(bench.link->id()));

    bench.harness.runWithoutSuspending(bench.link->close());
    const std::unique_ptr<LoopbackLink> next = bench.stick->connect();
    EXPECT_NE(next->id(), bench.link->id());
}

TEST(LoopbackLink, AnswersAreOnRepliesBeforeTheWriteReturns) {
    LoopbackBench bench;
    bench.harness.runWithoutSuspending(bench.link->writeControl(StickRequest::getInfo(1)));
    EXPECT_EQ(bench.link->replies().size(), 1u);
    bench.drain();

    const quint8 id = bench.begin("a.dst", "abc");
    bench.harness.runWithoutSuspending(
        bench.link->writeData(StickRequest::dataChunk(id, 0, "abc"), {}));
    EXPECT_EQ(bench.drain(), QList{StickFrame{ack(id, 3)}.encoded()});
}

TEST(LoopbackLink, ADroppedLinkRefusesWritesAndTheStickSeesNothing) {
    LoopbackBench bench;
    bench.stick->store("rose.pes", "xyz");
    const quint8 id = bench.begin("a.dst", "abc");
    bench.stick->disconnect(bench.link->id());

    EXPECT_EQ(
        failureOf(bench.harness, bench.link->writeControl(StickRequest::deleteFile(1, "rose.pes"))),
        StickError::transferInterrupted());
    EXPECT_EQ(
        failureOf(bench.harness, bench.link->writeData(StickRequest::dataChunk(id, 0, "abc"), {})),
        StickError::transferInterrupted());
    EXPECT_EQ(bench.stick->files().size(), 1u);
    EXPECT_EQ(bench.stick->chunksReceived(), 0);
    EXPECT_EQ(bench.harness.runWithoutSuspending(nextOf(bench.link->replies())), std::nullopt)
        << "replies ended";
}

TEST(LoopbackLink, AClosedLinkStaysClosedWhenTheStickIsConnectedAgain) {
    LoopbackBench bench;
    const std::unique_ptr<LoopbackLink> old = std::move(bench.link);
    bench.harness.runWithoutSuspending(old->close());
    bench.harness.runWithoutSuspending(old->close());
    bench.link = bench.stick->connect();

    EXPECT_EQ(failureOf(bench.harness, old->writeControl(StickRequest::getInfo(1))),
              StickError::transferInterrupted());
    bench.harness.runWithoutSuspending(old->close());
    EXPECT_TRUE(bench.stick->isCurrent(bench.link->id())) << "an old link cannot end a new one";
    EXPECT_EQ(bench.status(StickRequest::identify(1, 3)), StickStatus::ok);
}

TEST(LoopbackLink, AGoneLinkFreesTheStick) {
    LoopbackBench bench;
    const quint8 id = bench.begin("a.dst", "abc");
    bench.link.reset();
    bench.link = bench.stick->connect();
    EXPECT_EQ(bench.status(StickRequest::commit(1, id)), StickStatus::noTransfer)
        << "the transfer ended with its connection";
}

TEST(LoopbackLink, DataFrameLimitFollowsTheMtuAtEachCall) {
    LoopbackBench bench;
    EXPECT_EQ(bench.harness.runWithoutSuspending(bench.link->maxDataFrameLength()), 514);
    bench.stick->setFaults({.mtu = 200});
    EXPECT_EQ(bench.harness.runWithoutSuspending(bench.link->maxDataFrameLength()), 197);
}
