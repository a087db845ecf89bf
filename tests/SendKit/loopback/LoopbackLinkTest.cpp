#include "LoopbackBench.h"

#include <gtest/gtest.h>

TEST(LoopbackLink, OneConnectionAtATimeAndAGoneLinkFreesTheStick) {
    LoopbackBench bench;
    const quint8 id = bench.begin("a.dst", "abc");
    try {
        bench.stick->connect();
        ADD_FAILURE() << "a second connection opened";
    } catch (const StickError& error) {
        EXPECT_EQ(error, StickError::stickUnreachable());
    }

    bench.link.reset();
    bench.link = bench.stick->connect();
    EXPECT_EQ(bench.status(StickRequest::commit(1, id)), StickStatus::noTransfer)
        << "the transfer ended with its connection";
}

TEST(LoopbackLink, AClosedLinkRefusesWritesEvenWhenTheStickIsConnectedAgain) {
    LoopbackBench bench;
    bench.stick->store("rose.pes", "xyz");
    const quint8 id = bench.begin("a.dst", "abc");
    const std::unique_ptr<LoopbackLink> old = std::move(bench.link);
    bench.harness.runWithoutSuspending(old->close());
    bench.link = bench.stick->connect();

    EXPECT_EQ(failureOf(bench.harness, old->writeControl(StickRequest::deleteFile(1, "rose.pes"))),
              StickError::transferInterrupted());
    EXPECT_EQ(failureOf(bench.harness, old->writeData(StickRequest::dataChunk(id, 0, "abc"), {})),
              StickError::transferInterrupted());
    EXPECT_EQ(bench.stick->files().size(), 1u);
    EXPECT_EQ(bench.stick->chunksReceived(), 0);

    bench.harness.runWithoutSuspending(old->close());
    EXPECT_TRUE(bench.stick->isCurrent(bench.link->id())) << "an old link cannot end a new one";
}
