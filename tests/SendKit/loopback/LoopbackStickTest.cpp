#include "LoopbackBench.h"

#include "SendKit/protocol/StickInfo.h"
#include "SendKit/protocol/StickWriter.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A file of exactly this many bytes under a name the stick will list but never be sent.
void fill(LoopbackStick& stick, const QString& name, qsizetype size) {
    stick.store(name, QByteArray(size, 'x'));
}

// The stick's answer with its payload decoded, for cases where the layout is not the point.
StickInfo infoOf(LoopbackBench& bench, const QByteArray& frame = StickRequest::getInfo(1)) {
    return StickReply::info(bench.respond(frame).payload);
}

StickReply::ListPage pageAt(LoopbackBench& bench, quint16 start) {
    const StickFrame::Response response = bench.respond(StickRequest::list(1, start));
    EXPECT_EQ(response.status.rawValue, StickStatus::ok);
    return StickReply::list(response.payload);
}

QStringList namesOf(const StickReply::ListPage& page) {
    QStringList names;
    for (const StickFileEntry& entry : page.entries)
        names.append(entry.name());
    return names;
}

} // namespace

// --- Request dispatch and GET_INFO -----------------------------------------------------------

TEST(LoopbackDispatch, AnswersUnknownOpcodesAndASmallMtuWithTheOpcodeByteAsReceived) {
    LoopbackBench bench;
    EXPECT_TRUE(bench.request({}).isEmpty());
    EXPECT_TRUE(bench.request(hex("01")).isEmpty());
    EXPECT_EQ(bench.request(hex("0005")), QList{hex("800502")});
    EXPECT_EQ(bench.request(hex("0906ffff")), QList{hex("890602")});
    EXPECT_EQ(bench.request(hex("4007")), QList{hex("c00702")});

    bench.stick->setFaults({.mtu = 184});
    EXPECT_EQ(bench.request(StickRequest::getInfo(7)), QList{hex("810710")});
    EXPECT_EQ(bench.request(hex("2a03")), QList{hex("aa0310")});
    bench.stick->setFaults({.mtu = 185});
    EXPECT_EQ(infoOf(bench).maxChunk, 177);
}

TEST(LoopbackGetInfo, DescribesTheStickByteForByte) {
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
    EXPECT_EQ(bench.request(hex("0101010000")), QList{hex("810101")});

    bench.stick->setFaults({.protocolMajor = 2});
    const StickFrame::Response newer = bench.respond(StickRequest::getInfo(1));
    EXPECT_EQ(newer.status.rawValue, StickStatus::unsupportedVersion);
    EXPECT_EQ(StickReply::info(newer.payload).protocolMajor, 2);
    EXPECT_EQ(bench.status(hex("01010200")), StickStatus::ok);
}

TEST(LoopbackGetInfo, FollowsStorageUsbStateAndMtu) {
    LoopbackBench bench;
    fill(*bench.stick, "rose.pes", 40'000);
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostActive{}});
    EXPECT_TRUE(bench.drain().isEmpty()) << "a new USB state is no event";
    bench.stick->setFaults({.mtu = 10'000});

    const StickInfo info = infoOf(bench);
    EXPECT_EQ(info.usbState, StickUSBState{StickUSBState::HostActive{}});
    EXPECT_EQ(info.volumes.at(0).freeBytes, 13'360'000u);
    EXPECT_EQ(info.maxChunk, 507);
    fill(*bench.stick, "huge.pes", 20'000'000);
    EXPECT_EQ(infoOf(bench).volumes.at(0).freeBytes, 0u);
}

// --- BEGIN ---------------------------------------------------------------------------------------

TEST(LoopbackBegin, OpensATransferByteForByte) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(1000);
    EXPECT_EQ(bench.request(StickRequest::begin(1, 1000, sha256(data), 0, false, "a.dst")),
              QList{hex("820100 01 00400000 fb01")});
    // The transfer is staged: the stick is busy with it, even for a body it cannot read.
    EXPECT_EQ(bench.request(hex("0202")), QList{hex("820205")});
}

TEST(LoopbackBegin, RefusesBodiesItCannotRead) {
    LoopbackBench bench;
    const QByteArray good = StickRequest::begin(1, 10, QByteArray(32, 'd'), 0, false, "a.dst");
    const qsizetype overwriteAt = 2 + 4 + 32 + 4;
    QByteArray overwriteTwo = good;
    overwriteTwo[overwriteAt] = 2;
    QByteArray notUtf8 = good;
    notUtf8[overwriteAt + 2] = char(0xFF);

    for (const QByteArray& frame :
         {overwriteTwo, notUtf8, good + '\0', good.chopped(1), good.left(2 + 20)})
        EXPECT_EQ(bench.request(frame), QList{hex("820101")}) << frame.toHex().toStdString();
    EXPECT_EQ(bench.status(good), StickStatus::ok) << "nothing was opened by the refused ones";
}

TEST(LoopbackBegin, JudgesSizeNameAndExistingFiles) {
    LoopbackBench bench;
    fill(*bench.stick, "Rose.PES", 10);
    const struct {
        quint32 size;
        const char* name;
        bool overwrite;
        quint8 status;
    } cases[] = {
        {1'572'865, "big.pes", false, StickStatus::tooLarge},
        {0, "big.pes", false, StickStatus::badRequest},
        {10, "a/b.dst", false, StickStatus::badName},
        {10, "notes.txt", false, StickStatus::badExtension},
        {10, "rose.pes", false, StickStatus::nameExists},
        {1'572'864, "Rose 2 (big).DST", false, StickStatus::ok},
        {10, "rose.pes", true, StickStatus::ok},
    };
    for (const auto& c : cases) {
        const StickFrame::Response response = bench.respond(
            StickRequest::begin(1, c.size, QByteArray(32, 'd'), 0, c.overwrite, c.name));
        EXPECT_EQ(response.status.rawValue, c.status) << c.name;
        if (response.status.isOK())
            bench.respond(StickRequest::abort(2, StickReply::begin(response.payload).transferID));
    }
}

TEST(LoopbackBegin, KeepsAMarginOfFreeSpaceAndCountsTheReplacedFile) {
    LoopbackBench bench;
    const QByteArray digest(32, 'd');
    fill(*bench.stick, "rose.pes", 40'000);
    fill(*bench.stick, "filler.pes", 13'400'000 - 20'000 - 40'000);

    EXPECT_EQ(bench.status(StickRequest::begin(1, 1, digest, 0, false, "new.pes")),
              StickStatus::noSpace);
    EXPECT_EQ(bench.status(StickRequest::begin(2, 1, digest, 0, true, "ROSE.pes")),
              StickStatus::ok);

    // The margin is exactly 32,768 bytes beyond the file.
    bench.respond(StickRequest::abort(3, 1));
    fill(*bench.stick, "filler.pes", 13'400'000 - 32'769 - 40'000);
    EXPECT_EQ(bench.status(StickRequest::begin(4, 2, digest, 0, false, "a.pes")),
              StickStatus::noSpace);
    EXPECT_EQ(bench.status(StickRequest::begin(5, 1, digest, 0, false, "a.pes")), StickStatus::ok);
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

TEST(LoopbackChunks, AcknowledgesEvery8192BytesAndTheEnd) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(20'000);
    const quint8 id = bench.begin("a.dst", data);

    QList<QByteArray> frames;
    for (int offset = 0; offset < data.size(); offset += 500) {
        bench.stick->receiveChunk(StickRequest::dataChunk(id, offset, data.mid(offset, 500)));
        frames += bench.drain();
    }
    EXPECT_EQ(frames,
              (QList{hex("c10001 34210000"), hex("c10001 68420000"), hex("c10001 204e0000")}));
}

TEST(LoopbackChunks, NacksAGapOnceUntilTheStreamIsBackInOrder) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(4000);
    const quint8 id = bench.begin("a.dst", data);
    auto piece = [&](int offset) { return bench.chunk(id, offset, data.mid(offset, 500)); };

    EXPECT_TRUE(piece(0).isEmpty());
    bench.stick->receiveChunk(StickRequest::dataChunk(id, 1000, data.mid(1000, 500)));
    EXPECT_EQ(bench.drain(), QList{hex("c20001 f4010000")});
    EXPECT_TRUE(piece(1500).isEmpty()) << "one NACK per gap";
    EXPECT_TRUE(piece(0).isEmpty()) << "a repeat is out of order too";
    EXPECT_TRUE(piece(500).isEmpty()) << "in order again";
    EXPECT_EQ(piece(2000), QList{nack(id, 1000)}) << "a new gap gets its own NACK";

    for (int offset = 1000; offset < 4000; offset += 500)
        piece(offset);
    EXPECT_EQ(bench.status(StickRequest::commit(2, id)), StickStatus::ok);
    EXPECT_EQ(bench.stick->files().at("a.dst").data, data);
}

TEST(LoopbackChunks, AChunkOutsideTheFileAbortsTheTransfer) {
    LoopbackBench bench;
    const QByteArray data = patternBytes(1000);

    const quint8 first = bench.begin("a.dst", data);
    bench.stick->receiveChunk(StickRequest::dataChunk(first, 800, patternBytes(201)));
    EXPECT_EQ(bench.drain(), QList{hex("c30001 01")});
    EXPECT_EQ(bench.status(StickRequest::commit(2, first)), StickStatus::noTransfer);

    const quint8 second = bench.begin("a.dst", data);
    const StickEvent aborted{StickEvent::TransferAborted{second, {StickStatus::badRequest}}};
    EXPECT_EQ(bench.chunk(second, 1000, "x"), QList{aborted});
    const quint8 third = bench.begin("a.dst", data);
    EXPECT_EQ(bench.chunk(third, 0xFFFFFFFF, "x").size(), 1);
    EXPECT_EQ(bench.status(StickRequest::abort(3, third)), StickStatus::noTransfer);
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
    bench.stick->receiveChunk(StickRequest::dataChunk(id, 0, {}));
    bench.stick->receiveChunk(hex("01000000"));
    EXPECT_TRUE(bench.drain().isEmpty());
    EXPECT_EQ(bench.stick->chunksReceived(), 2) << "frames without payload are not chunks";

    EXPECT_EQ(bench.stream(id, data, 177), QList{ack(id, 1000)});
    EXPECT_EQ(bench.status(StickRequest::commit(2, id)), StickStatus::ok);
}

// --- Faults --------------------------------------------------------------------------------------

TEST(LoopbackFaults, DroppedChunkVanishesOnceAndIsNackedOnce) {
    LoopbackBench bench;
    bench.stick->setFaults({.dropChunksAt = {4096}});
    const QByteArray data = patternBytes(8192);
    const quint8 id = bench.begin("a.dst", data);
    auto piece = [&](int offset) { return bench.chunk(id, offset, data.mid(offset, 256)); };

    for (int offset = 0; offset <= 4096; offset += 256)
        EXPECT_TRUE(piece(offset).isEmpty());
    EXPECT_EQ(piece(4352), QList{nack(id, 4096)});
    EXPECT_TRUE(piece(4608).isEmpty());
    EXPECT_TRUE(piece(4864).isEmpty());
    EXPECT_TRUE(bench.stick->faults().dropChunksAt.empty());

    for (int offset = 4096; offset < 7936; offset += 256)
        EXPECT_TRUE(piece(offset).isEmpty());
    EXPECT_EQ(piece(7936), QList{ack(id, 8192)});
    EXPECT_EQ(bench.stick->chunksReceived(), 17 + 3 + 16);
}

TEST(LoopbackFaults, CorruptStagedByteFailsTheCommitOnce) {
    LoopbackBench bench;
    bench.stick->setFaults({.corruptStagedByteAt = 10});
    const QByteArray data = patternBytes(1000);

    EXPECT_EQ(bench.send("a.dst", data).status.rawValue, StickStatus::hashMismatch);
    EXPECT_EQ(bench.stick->faults(), LoopbackStick::Faults{});
    EXPECT_TRUE(bench.stick->files().empty());
    EXPECT_TRUE(bench.stick->commitLog().isEmpty());
    EXPECT_EQ(bench.request(StickRequest::lastResult(5)),
              QList{hex("880500 0c") + QByteArray(32, '\0') + hex("05 612e647374")});

    EXPECT_EQ(bench.send("a.dst", data).status.rawValue, StickStatus::ok);
}

TEST(LoopbackFaults, CorruptReadbackStoresADifferentFirstByteOnce) {
    LoopbackBench bench;
    bench.stick->setFaults({.corruptReadback = true});
    const QByteArray data = patternBytes(1000);

    const StickFrame::Response response = bench.send("a.dst", data);
    ASSERT_EQ(response.status.rawValue, StickStatus::ok);
    QByteArray stored = data;
    stored[0] = char(~quint8(data[0]));
    EXPECT_EQ(StickReply::commit(response.payload).storedSHA256, sha256(stored));
    EXPECT_EQ(bench.stick->files().at("a.dst").data, stored);
    EXPECT_FALSE(bench.stick->faults().corruptReadback);

    const StickFrame::Response again = bench.send("b.dst", data);
    EXPECT_EQ(StickReply::commit(again.payload).storedSHA256, sha256(data));
}

TEST(LoopbackFaults, DropLinkAfterCommitStoresThenHangsUp) {
    LoopbackBench bench;
    bench.stick->setFaults({.dropLinkAfterCommit = true});
    const QByteArray data = patternBytes(1000);
    const quint8 id = bench.begin("a.dst", data, false, 0x5F000000);
    bench.stream(id, data);

    EXPECT_TRUE(bench.request(StickRequest::commit(2, id)).isEmpty());
    EXPECT_TRUE(bench.link->replies().isFinished());
    EXPECT_FALSE(bench.stick->isCurrent(bench.link->id()));
    EXPECT_EQ(bench.stick->files().at("a.dst"), (LoopbackStick::StoredFile{data, 0x5F000000}));
    EXPECT_FALSE(bench.stick->faults().dropLinkAfterCommit);

    bench.link = bench.stick->connect();
    EXPECT_EQ(bench.request(StickRequest::lastResult(1)),
              QList{hex("880100 00") + sha256(data) + hex("05 612e647374")});
}

TEST(LoopbackFaults, HostBusyCommitsKeepTheTransferUntilTheyRunOut) {
    LoopbackBench bench;
    bench.stick->setFaults({.hostBusyCommits = 2});
    const QByteArray data = patternBytes(1000);
    const quint8 id = bench.begin("a.dst", data);
    bench.stream(id, data);

    EXPECT_EQ(bench.request(StickRequest::commit(2, id)), QList{hex("830204")});
    EXPECT_EQ(bench.status(StickRequest::commit(3, id)), StickStatus::hostBusy);
    EXPECT_EQ(bench.status(StickRequest::commit(4, id)), StickStatus::ok);
    EXPECT_EQ(bench.stick->faults().hostBusyCommits, 0);
    EXPECT_EQ(bench.stick->commitLog(), QStringList{"a.dst"});
}

// --- COMMIT --------------------------------------------------------------------------------------

TEST(LoopbackCommit, StoresTheFileAndAnswersByteForByte) {
    LoopbackBench bench;
    const QByteArray data = "abc";
    const quint8 id = bench.begin("Rose.DST", data, false, 0x5F000000);
    EXPECT_EQ(bench.chunk(id, 0, data), QList{ack(id, 3)});

    EXPECT_EQ(bench.request(StickRequest::commit(9, id)),
              QList{hex("830900") + sha256(data) + hex("03000000 00 08 526f73652e445354")});
    EXPECT_EQ(bench.stick->files().at("Rose.DST"), (LoopbackStick::StoredFile{data, 0x5F000000}));
    EXPECT_EQ(bench.stick->commitLog(), QStringList{"Rose.DST"});
    EXPECT_EQ(bench.status(StickRequest::commit(10, id)), StickStatus::noTransfer)
        << "the transfer is over";
}

TEST(LoopbackCommit, NeedsTheOpenTransferWithAllItsDataAndAnIdleMachine) {
    LoopbackBench bench;
    EXPECT_EQ(bench.request(StickRequest::commit(1, 1)), QList{hex("830112")});

    const QByteArray data = patternBytes(1000);
    const quint8 id = bench.begin("a.dst", data);
    bench.chunk(id, 0, data.left(500));
    EXPECT_EQ(bench.status(StickRequest::commit(2, id)), StickStatus::noTransfer);
    bench.chunk(id, 500, data.mid(500));
    EXPECT_EQ(bench.status(StickRequest::commit(3, id + 1)), StickStatus::noTransfer);
    EXPECT_EQ(bench.request(hex("0304")), QList{hex("830401")});
    EXPECT_EQ(bench.request(hex("03050100")), QList{hex("830501")});
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostActive{}});
    EXPECT_EQ(bench.status(StickRequest::commit(6, id)), StickStatus::hostBusy);
    bench.stick->setUSBState(StickUSBState{StickUSBState::HostIdle{}});
    EXPECT_EQ(bench.status(StickRequest::commit(7, id)), StickStatus::ok)
        << "the refusals left the transfer open";
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

// --- ABORT ---------------------------------------------------------------------------------------

TEST(LoopbackAbort, DropsOnlyTheNamedTransfer) {
    LoopbackBench bench;
    EXPECT_EQ(bench.request(StickRequest::abort(1, 1)), QList{hex("840112")});
    const quint8 id = bench.begin("a.dst", patternBytes(10));
    EXPECT_EQ(bench.status(StickRequest::abort(2, id + 1)), StickStatus::noTransfer);
    EXPECT_EQ(bench.status(hex("0403")), StickStatus::badRequest);
    EXPECT_EQ(bench.request(StickRequest::abort(4, id)), QList{hex("840400")});
    EXPECT_EQ(bench.begin("b.dst", patternBytes(10)), id + 1) << "the stick is free again";
}

// --- LIST ----------------------------------------------------------------------------------------

TEST(LoopbackList, FillsOneNotificationPerPage) {
    LoopbackBench bench;
    for (int i = 0; i < 300; ++i)
        fill(*bench.stick, QString::number(10'000 + i), 1);

    const QList<QByteArray> first = bench.request(StickRequest::list(1, 0));
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0].size(), 8 + 36 * 14);
    EXPECT_EQ(first[0].left(8), hex("850100 2c01 2400 24"));
    EXPECT_EQ(first[0].mid(8, 14), hex("01000000 00000000 05 3130303030"));

    bench.stick->setFaults({.mtu = 10'000});
    const StickReply::ListPage wide = pageAt(bench, 0);
    EXPECT_EQ(wide.entries.size(), 255);
    EXPECT_EQ(wide.nextIndex, 255);

    EXPECT_EQ(bench.request(StickRequest::list(2, 300)), QList{hex("850200 2c01 ffff 00")});
    EXPECT_EQ(bench.request(StickRequest::list(3, 301)), QList{hex("850301")});
    EXPECT_EQ(bench.request(hex("050400")), QList{hex("850401")});
}

TEST(LoopbackList, PagesCoverEveryNameOnceInCodePointOrder) {
    LoopbackBench bench;
    bench.stick->setFaults({.mtu = 185});
    QStringList stored;
    for (int i = 0; i < 40; ++i)
        stored.append(QStringLiteral("design %1.pes").arg(i, 2, 10, QLatin1Char('0')));
    // Letter case and the planes above the first sort by code point, not by UTF-16 unit.
    stored += {"B.dst", "b.dst", QString::fromUtf8("\xEF\xBD\x82.dst"),
               QString::fromUtf8("\xF0\x9F\x98\x80.dst")};
    for (const QString& name : stored)
        fill(*bench.stick, name, 1);

    QStringList listed;
    quint16 start = 0;
    int pages = 0;
    for (;;) {
        const StickReply::ListPage page = pageAt(bench, start);
        EXPECT_EQ(page.totalCount, stored.size());
        listed += namesOf(page);
        ++pages;
        if (!page.nextIndex)
            break;
        ASSERT_GT(*page.nextIndex, start);
        start = *page.nextIndex;
    }
    EXPECT_GT(pages, 1);
    QStringList expected = stored;
    std::sort(expected.begin(), expected.end(),
              [](const QString& a, const QString& b) { return a.toUcs4() < b.toUcs4(); });
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(listed.first(), "B.dst");
    EXPECT_EQ(listed.last(), QString::fromUtf8("\xF0\x9F\x98\x80.dst"));
}

// --- DELETE --------------------------------------------------------------------------------------

TEST(LoopbackDelete, RemovesTheFileWhateverTheLetterCase) {
    LoopbackBench bench;
    fill(*bench.stick, "Rose.PES", 10);
    fill(*bench.stick, "tulip.pes", 10);
    EXPECT_EQ(bench.request(StickRequest::deleteFile(3, "rose.pes")), QList{hex("860300")});
    EXPECT_EQ(bench.stick->files().size(), 1u);
    EXPECT_EQ(bench.status(StickRequest::deleteFile(4, "rose.pes")), StickStatus::notFound);

    for (const QString& name : QStringList{"", ".rose.pes", "a/b.pes", "a\\b.pes", "c:rose.pes"})
        EXPECT_EQ(bench.status(StickRequest::deleteFile(1, name)), StickStatus::badRequest)
            << name.toStdString();
    EXPECT_EQ(bench.status(StickRequest::deleteFile(1, "tulip.pes") + 'x'),
              StickStatus::badRequest);
    EXPECT_EQ(bench.status(hex("0601")), StickStatus::badRequest);
}

TEST(LoopbackDelete, WaitsForTheTransferAndTheMachine) {
    LoopbackBench bench;
    fill(*bench.stick, "rose.pes", 10);
    const quint8 id = bench.begin("a.dst", patternBytes(10));
    EXPECT_EQ(bench.status(StickRequest::deleteFile(1, "rose.pes")), StickStatus::busy);
    EXPECT_EQ(bench.status(StickRequest::deleteFile(2, "a/b.pes")), StickStatus::badRequest)
        << "the name is judged first";
    bench.respond(StickRequest::abort(3, id));

    bench.stick->setUSBState(StickUSBState{StickUSBState::HostActive{}});
    EXPECT_EQ(bench.status(StickRequest::deleteFile(4, "rose.pes")), StickStatus::hostBusy);
    EXPECT_EQ(bench.stick->files().size(), 1u);
}

// --- IDENTIFY and LAST_RESULT --------------------------------------------------------------------

TEST(LoopbackIdentify, TakesOneToThirtySeconds) {
    LoopbackBench bench;
    EXPECT_EQ(bench.request(StickRequest::identify(4, 1)), QList{hex("870400")});
    EXPECT_EQ(bench.status(StickRequest::identify(5, 30)), StickStatus::ok);
    EXPECT_EQ(bench.status(StickRequest::identify(6, 0)), StickStatus::badRequest);
    EXPECT_EQ(bench.status(StickRequest::identify(7, 31)), StickStatus::badRequest);
    EXPECT_EQ(bench.status(hex("0708")), StickStatus::badRequest);
    EXPECT_EQ(bench.status(hex("07090500")), StickStatus::badRequest);
}

TEST(LoopbackLastResult, ReportsNoneUntilACommitAndSurvivesReconnects) {
    LoopbackBench bench;
    EXPECT_EQ(bench.request(StickRequest::lastResult(9)),
              QList{hex("880900 ff") + QByteArray(32, '\0') + hex("00")});
    EXPECT_EQ(bench.request(hex("080a00")), QList{hex("880a01")});

    const QByteArray data = patternBytes(100);
    bench.send("a.dst", data);
    bench.link.reset();
    bench.link = bench.stick->connect();
    const StickReply::LastResult result =
        StickReply::lastResult(bench.respond(StickRequest::lastResult(1)).payload);
    EXPECT_EQ(result, (StickReply::LastResult{StickStatus{0}, sha256(data), "a.dst"}));
}

// --- Whatever arrives ----------------------------------------------------------------------------

// Random frames, half of them mutated from real requests, never make the stick throw, and every
// answer to a real opcode is a response the host can read.
TEST(LoopbackRobustness, AnswersAnyBytesWithStatusesAndEvents) {
    LoopbackBench bench;
    QRandomGenerator random(20240601);
    const QByteArray data = patternBytes(3000);
    const QList<QByteArray> seeds = {
        StickRequest::getInfo(1),
        StickRequest::begin(1, quint32(data.size()), sha256(data), 7, true, "a.dst"),
        StickRequest::commit(1, 1),
        StickRequest::abort(1, 1),
        StickRequest::list(1, 0),
        StickRequest::deleteFile(1, "a.dst"),
        StickRequest::identify(1, 5),
        StickRequest::lastResult(1),
    };
    auto randomBytes = [&](int size) {
        QByteArray bytes(size, '\0');
        for (char& byte : bytes)
            byte = char(random.bounded(256));
        return bytes;
    };

    for (int round = 0; round < 20'000; ++round) {
        if (round % 97 == 0)
            bench.stick->setFaults({.dropChunksAt = {quint32(random.bounded(3000))},
                                    .corruptStagedByteAt = quint32(random.bounded(3000)),
                                    .mtu = int(random.bounded(180, 600))});
        QByteArray frame;
        const int kind = int(random.bounded(4));
        if (kind == 0) {
            frame = randomBytes(int(random.bounded(40)));
        } else if (kind == 1) {
            frame = seeds[random.bounded(int(seeds.size()))];
            const int flips = int(random.bounded(4));
            for (int i = 0; i < flips && !frame.isEmpty(); ++i)
                frame[random.bounded(int(frame.size()))] = char(random.bounded(256));
            frame.truncate(int(random.bounded(int(frame.size()) + 2)));
        } else {
            const int offset = int(random.bounded(3100));
            frame = StickRequest::dataChunk(quint8(random.bounded(1, 4)), offset,
                                            data.mid(offset, int(random.bounded(1, 600))));
        }
        const bool isChunk = kind >= 2 || random.bounded(8) == 0;
        const bool strayOpcode = !isChunk && frame.size() >= 2 && quint8(frame[0]) > 0x40;
        EXPECT_NO_THROW(isChunk ? bench.stick->receiveChunk(frame)
                                : bench.stick->receiveRequest(frame));
        for (const QByteArray& answer : bench.drain()) {
            if (strayOpcode)
                continue; // a stray opcode echoed into the event range
            EXPECT_NO_THROW(StickFrame::parse(answer)) << answer.toHex().toStdString();
        }
    }
    EXPECT_GT(bench.stick->chunksReceived(), 0);
}
