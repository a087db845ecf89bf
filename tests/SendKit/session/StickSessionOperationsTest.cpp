#include "SessionFixture.h"

#include "SendKit/protocol/StickReply.h"

#include <functional>

using namespace std::chrono_literals;

namespace {

using OperationTest = SessionFixture;

const QByteArray digest(32, '\x5A');

// One operation run against one answer of the stick.
struct StatusCase {
    const char* operation;
    quint8 status;
    QByteArray payload;
    std::optional<StickError> expected; // none: the operation succeeds
};

// Starts the named operation on the session; the names are those of the table below.
QCoro::Task<void> runOperation(StickSession& session, const QString& operation) {
    if (operation == "getInfo")
        co_await session.getInfo();
    else if (operation == "begin")
        co_await session.begin(1000, digest, 0, false, QStringLiteral("A.DST"));
    else if (operation == "commit")
        co_await session.commit(4);
    else if (operation == "abort")
        co_await session.abort(4);
    else if (operation == "list")
        co_await session.list();
    else if (operation == "delete")
        co_await session.deleteFile(QStringLiteral("old.pes"));
    else if (operation == "lastResult")
        co_await session.lastResult();
    else
        throw std::invalid_argument(operation.toStdString());
}

QByteArray infoPayload(quint8 major, quint8 minor, const QString& firmware) {
    StickInfo info = stick::info();
    info.protocolMajor = major;
    info.protocolMinor = minor;
    info.firmwareVersion = firmware;
    return StickReply::payload(info);
}

TEST_F(OperationTest, ReadsEachStatusTheWayItsOperationDoes) {
    const QList<StatusCase> cases = {
        {"getInfo", StickStatus::unsupportedVersion, infoPayload(2, 3, "1.4.0"),
         StickError::firmwareIncompatible("2.3", "1.4.0")},
        {"getInfo",
         StickStatus::unsupportedVersion,
         {},
         StickError::firmwareIncompatible("?", "?")},
        {"getInfo", StickStatus::hostBusy, {}, StickError::machineBusy()},
        {"getInfo", StickStatus::ok, "\x01",
         StickError::protocolError("frame ends after 1 bytes, 2 needed")},
        {"begin", StickStatus::badName, {}, StickError::nameRejected("A.DST")},
        {"begin", StickStatus::badExtension, {}, StickError::nameRejected("A.DST")},
        {"begin", StickStatus::tooLarge, {}, StickError::fileTooLarge(0)},
        {"begin", StickStatus::nameExists, {}, StickError::nameExists({"A.DST"})},
        {"begin", StickStatus::noSpace, {}, StickError::storageFull()},
        {"begin", StickStatus::ok, QByteArray::fromHex("0000400000f401"),
         StickError::protocolError("transfer id 0")},
        {"commit", StickStatus::hashMismatch, {}, StickError::integrityMismatch()},
        {"abort", StickStatus::noTransfer, {}, std::nullopt},
        {"abort", StickStatus::badRequest, {}, StickError::refused({StickStatus::badRequest})},
        {"delete", StickStatus::notFound, {}, StickError::notFound("old.pes")},
        {"lastResult", StickStatus::timeout, {}, StickError::timeout()},
        {"list", StickStatus::noMedium, {}, StickError::noMedium()},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(std::string(c.operation) + " answered " +
                     StickStatus{c.status}.text().toStdString());
        answerEveryRequest(c.status, c.payload);
        EXPECT_EQ(failureOf(runOperation(*session, c.operation)), c.expected);
    }
    EXPECT_EQ(session->info(), std::nullopt);
}

TEST_F(OperationTest, RequestsCarryTheirArguments) {
    answerEveryRequest();
    for (quint8 seconds : {0, 15, 200})
        harness.run(session->identify(seconds));
    QList<quint8> sent;
    for (const auto& frame : requests())
        sent << StickRequest::decodeIdentify(frame.body);
    EXPECT_EQ(sent, (QList<quint8>{1, 15, 30}));

    answerEveryRequest(StickStatus::ok, QByteArray::fromHex("0100400000f401"));
    const auto begun = harness.run(session->begin(1000, digest, 0x5F000000, true, "A.DST"));
    EXPECT_EQ(begun, (StickReply::Begin{1, 16384, 500}));
    EXPECT_EQ(link->controlFrames().last(),
              StickRequest::begin(4, 1000, digest, 0x5F000000, true, "A.DST"));
}

TEST_F(OperationTest, GetInfoCachesTheInfoThatLaterBeginsReadTheirLimitFrom) {
    answerEveryRequest(StickStatus::ok, StickReply::payload(stick::info()));
    EXPECT_EQ(harness.run(session->getInfo()), stick::info());
    EXPECT_EQ(session->info(), stick::info());

    // A failed GET_INFO leaves the cache as it was.
    answerEveryRequest(StickStatus::busy);
    EXPECT_EQ(failureOf(session->getInfo()), StickError::stickBusy());
    EXPECT_EQ(session->info(), stick::info());

    answerEveryRequest(StickStatus::tooLarge);
    EXPECT_EQ(failureOf(session->begin(1000, digest, 0, false, "big.dst")),
              StickError::fileTooLarge(stick::info().maxFileSize));
}

TEST_F(OperationTest, CommitWaitsLongerThanOtherRequests) {
    EXPECT_EQ(failureOf(session->commit(1)), StickError::timeout());
    EXPECT_EQ(harness.now(), 60s);
    EXPECT_EQ(failureOf(session->lastResult()), StickError::timeout());
    EXPECT_EQ(harness.now(), 65s);

    StickReply::Commit stored{digest, 1000, 1, "A.DST"};
    answerEveryRequest(StickStatus::ok, StickReply::payload(stored));
    EXPECT_EQ(harness.run(session->commit(1)), stored);
}

// A stick whose LIST pages are given by the test, by start index.
class ListTest : public SessionFixture {
protected:
    // Serves the page registered for each start index asked for.
    void servePages(QMap<quint16, StickReply::ListPage> pages) {
        link->answerControl = [pages](const QByteArray& request) {
            const auto frame = StickRequest::Frame::parse(request);
            const auto page = pages.value(StickRequest::decodeList(frame.body));
            return QList<QByteArray>{
                stick::responseTo(request, StickStatus::ok, StickReply::payload(page))};
        };
    }
    QList<quint16> startIndexes() const {
        QList<quint16> indexes;
        for (const auto& frame : requests())
            indexes << StickRequest::decodeList(frame.body);
        return indexes;
    }
    static StickReply::ListPage page(int total, std::optional<quint16> next, QStringList names) {
        StickReply::ListPage page{total, next, {}};
        for (const QString& name : names)
            page.entries << StickFileEntry(name, 100, 0);
        return page;
    }
    static QStringList names(const QList<StickFileEntry>& entries) {
        QStringList names;
        for (const auto& entry : entries)
            names << entry.name();
        return names;
    }
};

TEST_F(ListTest, JoinsPagesAndKeepsTheFirstOfNamesDifferingInCase) {
    servePages({{0, page(4, 2, {"a.dst", "B.PES"})},
                {2, page(4, std::nullopt, {"b.pes", "c.jef", "A.DST"})}});
    EXPECT_EQ(names(harness.run(session->list())), (QStringList{"a.dst", "B.PES", "c.jef"}));
    EXPECT_EQ(startIndexes(), (QList<quint16>{0, 2}));
}

TEST_F(ListTest, StopsWhenTheStickSaysItIsDoneOrDoesNotMoveOn) {
    struct Case {
        const char* why;
        QMap<quint16, StickReply::ListPage> pages;
        QList<quint16> asked;
    };
    const QList<Case> cases = {
        {"no next page", {{0, page(9, std::nullopt, {"a"})}}, {0}},
        {"next index repeats the start", {{0, page(9, 1, {"a"})}, {1, page(9, 1, {"b"})}}, {0, 1}},
        {"total count reached", {{0, page(2, 2, {"a", "b"})}}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const auto before = requests().size();
        servePages(c.pages);
        harness.run(session->list());
        EXPECT_EQ(startIndexes().mid(before), c.asked);
    }
}

TEST_F(ListTest, AsksForNoPageOnceItHoldsTheCap) {
    QMap<quint16, StickReply::ListPage> pages;
    constexpr int perPage = 200;
    for (int p = 0; p < 30; ++p) {
        QStringList names;
        for (int i = 0; i < perPage; ++i)
            names << QStringLiteral("f%1.dst").arg(p * perPage + i);
        pages.insert(quint16(p * perPage), page(60000, quint16((p + 1) * perPage), names));
    }
    servePages(pages);
    // The cap is tested between pages: the 21st page takes the result past 4096.
    EXPECT_EQ(harness.run(session->list()).size(), 21 * perPage);
    EXPECT_EQ(startIndexes().size(), 21);
}

} // namespace
