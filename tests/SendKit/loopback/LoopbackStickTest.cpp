#include "LoopbackBench.h"

#include "SendKit/protocol/StickInfo.h"

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A file of exactly this many bytes under a name the stick will list but never be sent.
void fill(LoopbackStick& stick, const QString& name, qsizetype size) {
    stick.store(name, QByteArray(size, 'x'));
}

QByteArray beginFrame(quint32 size, const QString& name, bool overwrite = false) {
    return StickRequest::begin(1, size, QByteArray(32, 'd'), 0, overwrite, name);
}

StickReply::ListPage pageAt(LoopbackBench& bench, quint16 start) {
    const StickFrame::Response response = bench.respond(StickRequest::list(1, start));
    EXPECT_EQ(response.status.rawValue, StickStatus::ok);
    return StickReply::list(response.payload);
}

} // namespace

// --- Request dispatch and GET_INFO -----------------------------------------------------------

TEST(LoopbackDispatch, AnswersUnknownOpcodesAndASmallMtuWithTheOpcodeByteAsReceived) {
    LoopbackBench bench;
    EXPECT_TRUE(bench.request(hex("01")).isEmpty());
    EXPECT_EQ(bench.request(hex("0906ffff")), QList{hex("890602")});
    EXPECT_EQ(bench.request(hex("4007")), QList{hex("c00702")});

    bench.stick->setFaults({.mtu = 184});
    EXPECT_EQ(bench.request(StickRequest::getInfo(7)), QList{hex("810710")});
    bench.stick->setFaults({.mtu = 185});
    EXPECT_EQ(StickReply::info(bench.respond(StickRequest::getInfo(1)).payload).maxChunk, 177);
}

TEST(LoopbackGetInfo, DescribesTheStickAndFollowsStorageUsbStateAndMtu) {
    LoopbackBench bench;
    const char* info = "810700 0100 00000000 05 312e302e30 0c 4272696e646c652037463341 fb01 "
                       "00001800 00400000 01 00 02 0003 c077cc0000000000 c077cc0000000000 "
                       "0100 0000000000000000 0000000000000000";
    EXPECT_EQ(bench.request(StickRequest::getInfo(7)), QList{hex(info)});

    // Another major version still gets the whole information; a malformed body gets none.
    const StickFrame::Response response = bench.respond(hex("01030200"));
    EXPECT_EQ(response.status.rawValue, StickStatus::unsupportedVersion);
    EXPECT_EQ(StickReply::info(response.payload).deviceName, LoopbackBench::deviceName);
    EXPECT_EQ(bench.request(hex("010101")), QList{hex("810101")});

    fill(*bench.stick, "rose.pes", 40'000);
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostActive{}});
    EXPECT_TRUE(bench.drain().isEmpty()) << "a new USB state is no event";
    bench.stick->setFaults({.mtu = 10'000});
    const StickInfo now = StickReply::info(bench.respond(StickRequest::getInfo(1)).payload);
    EXPECT_EQ(now.usbState, StickUSBState{StickUSBState::HostActive{}});
    EXPECT_EQ(now.volumes.at(0).freeBytes, 13'360'000u);
    EXPECT_EQ(now.maxChunk, 507);
}

// --- BEGIN ---------------------------------------------------------------------------------------

// Each request below also has every fault of the requests after it: the first fault decides.
TEST(LoopbackBegin, RefusesInOrderBusyBodySizeNameExistingSpace) {
    LoopbackBench bench;
    fill(*bench.stick, "Rose.PES", 40'000);
    fill(*bench.stick, "filler.pes", 13'400'000 - 32'769 - 40'000); // the margin plus one byte
    const QByteArray unreadable = beginFrame(0, "a/b.txt") + '\0';
    const std::pair<QByteArray, quint8> cases[] = {
        {unreadable, StickStatus::badRequest},
        {beginFrame(0, "a/b.txt"), StickStatus::badRequest},
        {beginFrame(1'572'865, "a/b.txt"), StickStatus::tooLarge},
        {beginFrame(2, "a/b.txt"), StickStatus::badName},
        {beginFrame(2, "ROSE.txt"), StickStatus::badExtension},
        {beginFrame(2, "rose.pes"), StickStatus::nameExists},
        {beginFrame(2, "new.pes"), StickStatus::noSpace},
        {beginFrame(40'002, "rose.pes", true), StickStatus::noSpace},
        {beginFrame(40'001, "rose.pes", true), StickStatus::ok},
    };
    for (const auto& [frame, status] : cases)
        EXPECT_EQ(bench.status(frame), status) << frame.toHex().toStdString();
    EXPECT_EQ(bench.status(unreadable), StickStatus::busy) << "an open transfer comes first";
}

TEST(LoopbackBegin, TransferIdentifiersWrapFrom255To1) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(10);
    for (int expected = 1; expected <= 255; ++expected) {
        const quint8 id = bench.begin("a.dst", data);
        ASSERT_EQ(id, expected);
        bench.respond(StickRequest::abort(1, id));
    }
    EXPECT_EQ(bench.begin("a.dst", data), 1);
}

// --- Data chunks ---------------------------------------------------------------------------------

TEST(LoopbackChunks, NacksEachGapOnceAndAcknowledgesEvery8192BytesAndTheEnd) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(20'000);
    const quint8 id = bench.begin("a.dst", data);
    auto piece = [&](int offset) { return bench.chunk(id, offset, data.mid(offset, 500)); };

    EXPECT_TRUE(piece(0).isEmpty());
    EXPECT_EQ(piece(1000), QList{nack(id, 500)});
    EXPECT_TRUE(piece(1500).isEmpty()) << "one NACK per gap";
    EXPECT_TRUE(piece(0).isEmpty()) << "a repeat is out of order too";
    EXPECT_TRUE(piece(500).isEmpty()) << "in order again";
    EXPECT_EQ(piece(2000), QList{nack(id, 1000)}) << "a new gap gets its own NACK";

    QList<StickEvent> events;
    for (int offset = 1000; offset < data.size(); offset += 500)
        events += piece(offset);
    EXPECT_EQ(events, (QList{ack(id, 8500), ack(id, 17000), ack(id, 20000)}));
    EXPECT_EQ(bench.status(StickRequest::commit(2, id)), StickStatus::ok);
    EXPECT_EQ(bench.stick->files().at("a.dst").data, data);
}

TEST(LoopbackChunks, AChunkOutsideTheFileAbortsTheTransfer) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(1000);
    const quint8 first = bench.begin("a.dst", data);
    const StickEvent aborted{StickEvent::TransferAborted{first, {StickStatus::badRequest}}};
    EXPECT_EQ(bench.chunk(first, 800, patternBytes(201)), QList{aborted});
    EXPECT_EQ(bench.status(StickRequest::commit(2, first)), StickStatus::noTransfer);

    const quint8 second = bench.begin("a.dst", data);
    EXPECT_EQ(bench.chunk(second, 0xFFFFFFFF, "x").size(), 1) << "the end does not wrap";
    EXPECT_EQ(bench.status(StickRequest::abort(3, second)), StickStatus::noTransfer);
}

TEST(LoopbackChunks, IgnoresChunksItCannotUseAndCountsThoseOfATransfer) {
    LoopbackBench bench;
    bench.stick->receiveChunk(StickRequest::dataChunk(1, 0, "abc"));
    EXPECT_EQ(bench.stick->chunksReceived(), 0) << "no transfer";

    bench.stick->setFaults({.mtu = 185});
    const QByteArray data = patternBytes(1000);
    const quint8 id = bench.begin("a.dst", data);
    EXPECT_TRUE(bench.chunk(id + 1, 0, data.left(100)).isEmpty());
    EXPECT_TRUE(bench.chunk(id, 0, data.left(178)).isEmpty()) << "above maxChunk 177";
    bench.stick->receiveChunk(hex("01000000"));
    EXPECT_EQ(bench.stick->chunksReceived(), 2) << "frames without payload are not chunks";
    EXPECT_EQ(bench.stream(id, data, 177), QList{ack(id, 1000)});
}

// --- Faults --------------------------------------------------------------------------------------

TEST(LoopbackFaults, CorruptStagedByteFailsTheCommitOnce) {
    LoopbackBench bench;
    bench.stick->setFaults({.corruptStagedByteAt = 10});
    const QByteArray data = patternBytes(1000);

    EXPECT_EQ(bench.send("a.dst", data).status.rawValue, StickStatus::hashMismatch);
    EXPECT_TRUE(bench.stick->files().empty());
    EXPECT_EQ(StickReply::lastResult(bench.respond(StickRequest::lastResult(5)).payload),
              (StickReply::LastResult{StickStatus{StickStatus::hashMismatch}, QByteArray(32, '\0'),
                                      "a.dst"}));
    EXPECT_EQ(bench.send("a.dst", data).status.rawValue, StickStatus::ok);
}

TEST(LoopbackFaults, CorruptReadbackStoresADifferentFirstByteOnce) {
    LoopbackBench bench;
    bench.stick->setFaults({.corruptReadback = true});
    const QByteArray data = patternBytes(1000);
    QByteArray stored = data;
    stored[0] = char(~quint8(data[0]));

    EXPECT_EQ(StickReply::commit(bench.send("a.dst", data).payload).storedSHA256, sha256(stored));
    EXPECT_EQ(bench.stick->files().at("a.dst").data, stored);
    EXPECT_EQ(StickReply::commit(bench.send("b.dst", data).payload).storedSHA256, sha256(data));
}

TEST(LoopbackFaults, HostBusyCommitsKeepTheTransferUntilTheyRunOut) {
    LoopbackBench bench;
    bench.stick->setFaults({.hostBusyCommits = 2});
    const QByteArray data = patternBytes(1000);
    const quint8 id = bench.begin("a.dst", data);
    bench.stream(id, data);

    EXPECT_EQ(bench.status(StickRequest::commit(2, id)), StickStatus::hostBusy);
    EXPECT_EQ(bench.status(StickRequest::commit(3, id)), StickStatus::hostBusy);
    EXPECT_EQ(bench.status(StickRequest::commit(4, id)), StickStatus::ok);
}

// --- COMMIT and ABORT ----------------------------------------------------------------------------

TEST(LoopbackCommit, NeedsTheOpenTransferWithAllItsDataAndAnIdleMachineThenStores) {
    LoopbackBench bench;
    EXPECT_EQ(bench.status(StickRequest::commit(1, 1)), StickStatus::noTransfer);
    const QByteArray data = "abc";
    const quint8 id = bench.begin("Rose.DST", data, false, 0x5F000000);
    EXPECT_EQ(bench.status(StickRequest::commit(2, id)), StickStatus::noTransfer) << "no data yet";
    bench.chunk(id, 0, data);
    EXPECT_EQ(bench.status(StickRequest::commit(3, id + 1)), StickStatus::noTransfer);
    EXPECT_EQ(bench.status(hex("0304")), StickStatus::badRequest);
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostActive{}});
    EXPECT_EQ(bench.status(StickRequest::commit(6, id)), StickStatus::hostBusy);
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostIdle{}});

    EXPECT_EQ(StickReply::commit(bench.respond(StickRequest::commit(7, id)).payload),
              (StickReply::Commit{sha256(data), 3, 0, "Rose.DST"}));
    EXPECT_EQ(bench.stick->files().at("Rose.DST"), (LoopbackStick::StoredFile{data, 0x5F000000}));
    EXPECT_EQ(bench.stick->commitLog(), QStringList{"Rose.DST"});
    EXPECT_EQ(bench.status(StickRequest::commit(8, id)), StickStatus::noTransfer)
        << "the transfer is over";
}

TEST(LoopbackCommit, ANameTakenMeanwhileNeedsOverwrite) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(1000);
    const quint8 id = bench.begin("rose.pes", data);
    bench.stream(id, data);
    fill(*bench.stick, "ROSE.PES", 10);

    EXPECT_EQ(bench.status(StickRequest::commit(2, id)), StickStatus::nameExists);
    EXPECT_EQ(bench.status(StickRequest::abort(3, id)), StickStatus::ok) << "the transfer was kept";
    ASSERT_EQ(bench.send("Rose.pes", data, true).status.rawValue, StickStatus::ok);
    EXPECT_EQ(bench.stick->files().size(), 1u);
    EXPECT_EQ(bench.stick->files().at("Rose.pes").data, data);
}

TEST(LoopbackAbort, DropsOnlyTheNamedTransfer) {
    LoopbackBench bench;
    EXPECT_EQ(bench.status(StickRequest::abort(1, 1)), StickStatus::noTransfer);
    const quint8 id = bench.begin("a.dst", patternBytes(10));
    EXPECT_EQ(bench.status(StickRequest::abort(2, id + 1)), StickStatus::noTransfer);
    EXPECT_EQ(bench.status(hex("0403")), StickStatus::badRequest);
    EXPECT_EQ(bench.status(StickRequest::abort(4, id)), StickStatus::ok);
    EXPECT_EQ(bench.begin("b.dst", patternBytes(10)), id + 1) << "the stick is free again";
}

// --- LIST ----------------------------------------------------------------------------------------

TEST(LoopbackList, FillsOneNotificationPerPage) {
    LoopbackBench bench;
    for (int i = 0; i < 300; ++i)
        fill(*bench.stick, QString::number(10'000 + i), 1);

    EXPECT_EQ(pageAt(bench, 0).nextIndex, 36);
    bench.stick->setFaults({.mtu = 10'000});
    EXPECT_EQ(pageAt(bench, 0).nextIndex, 255);
    EXPECT_EQ(pageAt(bench, 300), (StickReply::ListPage{300, std::nullopt, {}}));
    EXPECT_EQ(bench.status(StickRequest::list(3, 301)), StickStatus::badRequest);
}

TEST(LoopbackList, PagesCoverEveryNameOnceInCodePointOrder) {
    LoopbackBench bench;
    bench.stick->setFaults({.mtu = 185});
    QStringList stored;
    for (int i = 0; i < 12; ++i)
        stored.append(QStringLiteral("design %1.pes").arg(i, 2, 10, QLatin1Char('0')));
    // Letter case and the planes above the first sort by code point, not by UTF-16 unit.
    stored += {"B.dst", "b.dst", QString::fromUtf8("\xEF\xBD\x82.dst"),
               QString::fromUtf8("\xF0\x9F\x98\x80.dst")};
    for (const QString& name : stored)
        fill(*bench.stick, name, 1);

    QStringList listed;
    int pages = 0;
    for (std::optional<quint16> start = 0; start; ++pages) {
        const StickReply::ListPage page = pageAt(bench, *start);
        for (const StickFileEntry& entry : page.entries)
            listed.append(entry.name());
        start = page.nextIndex;
    }
    EXPECT_GT(pages, 1);
    QStringList expected = stored;
    std::sort(expected.begin(), expected.end(),
              [](const QString& a, const QString& b) { return a.toUcs4() < b.toUcs4(); });
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(listed.last(), QString::fromUtf8("\xF0\x9F\x98\x80.dst"));
}

// --- DELETE and LAST_RESULT ---------------------------------------------------------------------

TEST(LoopbackDelete, JudgesTheNameThenWaitsForTheTransferAndTheMachine) {
    LoopbackBench bench;
    fill(*bench.stick, "Rose.PES", 10);
    const quint8 id = bench.begin("a.dst", patternBytes(10));
    EXPECT_EQ(bench.status(StickRequest::deleteFile(1, "rose.pes")), StickStatus::busy);
    EXPECT_EQ(bench.status(StickRequest::deleteFile(2, "a/b.pes")), StickStatus::badRequest)
        << "the name is judged first";
    bench.respond(StickRequest::abort(3, id));
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostActive{}});
    EXPECT_EQ(bench.status(StickRequest::deleteFile(4, "rose.pes")), StickStatus::hostBusy);
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostIdle{}});

    EXPECT_EQ(bench.status(StickRequest::deleteFile(1, "c:rose.pes")), StickStatus::badRequest);
    EXPECT_EQ(bench.status(StickRequest::deleteFile(1, "rose.pes") + 'x'), StickStatus::badRequest);
    EXPECT_EQ(bench.status(StickRequest::deleteFile(5, "rose.pes")), StickStatus::ok);
    EXPECT_TRUE(bench.stick->files().empty()) << "whatever the letter case";
    EXPECT_EQ(bench.status(StickRequest::deleteFile(6, "rose.pes")), StickStatus::notFound);
}

TEST(LoopbackLastResult, ReportsNoneUntilACommit) {
    LoopbackBench bench;
    EXPECT_EQ(StickReply::lastResult(bench.respond(StickRequest::lastResult(9)).payload),
              (StickReply::LastResult{std::nullopt, QByteArray(32, '\0'), ""}));
    EXPECT_EQ(bench.status(hex("080a00")), StickStatus::badRequest);
}
