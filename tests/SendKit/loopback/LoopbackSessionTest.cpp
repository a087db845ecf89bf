#include "LoopbackBench.h"

#include "SendKit/session/StickSession.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// A session over a link to a simulated stick, under the manual clock, as the application runs it.
struct SessionBench {
    SessionBench()
        : stick(LoopbackStick::create(LoopbackBench::deviceName)) {
        open();
    }

    // Closes the link the session runs over and opens a new connection with a new session.
    void reconnect() {
        harness.run(link->close());
        session.reset();
        open();
    }

    TestHarness harness;
    std::shared_ptr<LoopbackStick> stick;
    std::shared_ptr<LoopbackLink> link;
    std::unique_ptr<StickSession> session;

private:
    void open() {
        link = stick->connect();
        session = std::make_unique<StickSession>(link, harness.clock());
    }
};

// One file the way the send flow moves it: BEGIN, the data stream, COMMIT. The progress
// callback's last value lands in acked.
QCoro::Task<StickReply::Commit> sendFile(StickSession& session, QString name, QByteArray data,
                                         bool overwrite = false, qint64* acked = nullptr) {
    const StickReply::Begin begin =
        co_await session.begin(quint32(data.size()), sha256(data), 0x5F000000, overwrite, name);
    co_await session.sendData(begin.transferID, data, begin.window, begin.maxChunk,
                              [acked](qint64 bytes) {
                                  if (acked)
                                      *acked = bytes;
                              });
    co_return co_await session.commit(begin.transferID);
}

template <class T> std::optional<StickError> failureIn(TestHarness& harness, QCoro::Task<T> task) {
    try {
        harness.run(std::move(task));
    } catch (const StickError& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

TEST(LoopbackSession, SendsAFileWithoutEverWaiting) {
    SessionBench bench;
    const StickInfo info = bench.harness.runWithoutTime(bench.session->getInfo());
    EXPECT_EQ(info.deviceName, LoopbackBench::deviceName);
    EXPECT_EQ(info.firmwareVersion, "1.0.0");
    EXPECT_EQ(info.maxFileSize, 1'572'864u);

    const QByteArray data = patternBytes(100'000);
    qint64 acked = 0;
    const StickReply::Commit commit =
        bench.harness.runWithoutTime(sendFile(*bench.session, "Rose.PES", data, false, &acked));
    EXPECT_EQ(commit, (StickReply::Commit{sha256(data), 100'000, 0, "Rose.PES"}));
    EXPECT_EQ(acked, 100'000);
    EXPECT_EQ(bench.stick->files().at("Rose.PES"), (LoopbackStick::StoredFile{data, 0x5F000000}));
    EXPECT_EQ(bench.stick->chunksReceived(), (100'000 + 506) / 507);
}

TEST(LoopbackSession, TheStreamRecoversDroppedChunks) {
    SessionBench bench;
    const QByteArray data = patternBytes(40'000);
    // One chunk in the middle, answered by a NACK, and the last one, which only silence reveals.
    bench.stick->setFaults({.dropChunksAt = {507 * 20, 507 * 78}});

    const StickReply::Commit commit = bench.harness.run(sendFile(*bench.session, "a.dst", data));
    EXPECT_EQ(commit.storedSHA256, sha256(data));
    EXPECT_EQ(bench.stick->files().at("a.dst").data, data);
    EXPECT_TRUE(bench.stick->faults().dropChunksAt.empty());
    EXPECT_EQ(bench.harness.now(), StickSession::probeInterval);
}

TEST(LoopbackSession, CommitFaultsBecomeTheirErrors) {
    SessionBench bench;
    const QByteArray data = patternBytes(3000);

    bench.stick->setFaults({.corruptStagedByteAt = 2999});
    EXPECT_EQ(failureIn(bench.harness, sendFile(*bench.session, "a.dst", data)),
              StickError::integrityMismatch());

    bench.stick->setFaults({.hostBusyCommits = 1});
    EXPECT_EQ(failureIn(bench.harness, sendFile(*bench.session, "a.dst", data)),
              StickError::machineBusy());
    EXPECT_EQ(failureIn(bench.harness, sendFile(*bench.session, "a.dst", data)),
              StickError::stickBusy())
        << "the refused commit left its transfer open";
    bench.harness.run(bench.session->abort(2)); // the second transfer of this stick

    bench.stick->setFaults({.corruptReadback = true});
    const StickReply::Commit commit = bench.harness.run(sendFile(*bench.session, "a.dst", data));
    EXPECT_NE(commit.storedSHA256, sha256(data));
    EXPECT_EQ(commit.storedSize, 3000u);
}

TEST(LoopbackSession, ALinkLostAtCommitLeavesTheResultToAskFor) {
    SessionBench bench;
    bench.stick->setFaults({.dropLinkAfterCommit = true});
    const QByteArray data = patternBytes(5000);

    EXPECT_EQ(failureIn(bench.harness, sendFile(*bench.session, "a.dst", data)),
              StickError::transferInterrupted());
    EXPECT_LT(bench.harness.now(), StickSession::commitTimeout) << "the end of the link is seen";
    EXPECT_EQ(failureIn(bench.harness, bench.session->getInfo()),
              StickError::transferInterrupted());

    bench.reconnect();
    const StickReply::LastResult last = bench.harness.run(bench.session->lastResult());
    EXPECT_EQ(last, (StickReply::LastResult{StickStatus{0}, sha256(data), "a.dst"}));
}

TEST(LoopbackSession, ListsEveryPage) {
    SessionBench bench;
    for (int i = 0; i < 300; ++i)
        bench.stick->store(QString::number(10'000 + i), QByteArray(i, 'x'), quint32(i));
    const QList<StickFileEntry> entries = bench.harness.run(bench.session->list());
    ASSERT_EQ(entries.size(), 300);
    EXPECT_EQ(entries.first(), StickFileEntry("10000", 0, 0));
    EXPECT_EQ(entries.last(), StickFileEntry("10299", 299, 299));
}
