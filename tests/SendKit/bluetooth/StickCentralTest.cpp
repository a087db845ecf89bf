#include "ScriptedPlatform.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "tests/support/TestHarness.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Kind = BluetoothPlatformError::Kind;
using Device = ScriptedPlatform::Device;

namespace {

BluetoothPlatformError failure(Kind kind, QString description = QStringLiteral("scripted")) {
    return {kind, description};
}

template <class T> QCoro::Task<std::optional<T>> nextOf(AsyncQueue<T> queue) {
    co_return co_await queue.next();
}
QCoro::Task<std::optional<QList<StickPeripheral>>> nextOf(const StickScan& scan) {
    co_return co_await scan.next();
}

// The central over the scripted platform, under the manual clock, collecting the log.
class CentralTest : public ::testing::Test {
protected:
    CentralTest() {
        StickLog::setSink([this](const QString& line) { log << line; });
    }
    ~CentralTest() override { StickLog::setSink({}); }

    QCoro::Task<std::shared_ptr<BluetoothStickLink>> connect() {
        return central.connect(platform->stick->identifier(), {});
    }

    // The StickError the task ends with; none when it succeeds.
    template <class T> std::optional<StickError> failureOf(Running<T> running) {
        try {
            harness.run(running);
        } catch (const StickError& error) {
            return error;
        }
        return std::nullopt;
    }
    template <class T> std::optional<StickError> failureOf(QCoro::Task<T> task) {
        return failureOf(harness.start(std::move(task)));
    }

    TestHarness harness;
    std::shared_ptr<ScriptedPlatform> platform = std::make_shared<ScriptedPlatform>();
    StickCentral central{platform, harness.clock()};
    QStringList log;
};

TEST_F(CentralTest, ASetUpStepThatFailsClosesTheLinkWithItsMappedError) {
    const struct {
        ScriptedPlatform::Answer Device::*step;
        ScriptedPlatform::Answer answer;
        StickError error;
        std::chrono::seconds after = 0s;
    } cases[] = {
        {&Device::connectAnswer, {failure(Kind::ConnectionFailed)}, StickError::stickUnreachable()},
        {&Device::connectAnswer, {{}, true}, StickError::timeout(), 5s},
        {&Device::pairAnswer, {failure(Kind::PeerRemovedPairing)}, StickError::pairingStale()},
        {&Device::pairAnswer, {failure(Kind::InsufficientEncryption)}, StickError::pairingFailed()},
        {&Device::pairAnswer,
         {failure(Kind::OtherAttribute, "No")},
         StickError::protocolError("No")},
        {&Device::pairAnswer, {{}, true}, StickError::timeout(), 60s},
        {&Device::subscribeAnswer, {failure(Kind::Other)}, StickError::pairingFailed()},
    };
    for (const auto& c : cases) {
        platform->stick = std::make_shared<Device>();
        (*platform->stick).*c.step = c.answer;
        const auto start = harness.now();
        EXPECT_EQ(failureOf(connect()), c.error);
        EXPECT_EQ(harness.now() - start, c.after);
    }

    platform->stick->serviceList.clear();
    EXPECT_EQ(failureOf(connect()), StickError::protocolError("not a Brindle stick"));
}

TEST_F(CentralTest, ALinkRunsOneStepAtATimeAndPacesChunksByTheReadyCallback) {
    const auto link = harness.run(connect());
    platform->stick->diagnosticsAnswer.silent = true;
    auto reading = harness.start(link->readDiagnostics());
    EXPECT_EQ(failureOf(link->writeControl("request")),
              StickError::protocolError("step write while read diagnostics runs"));
    platform->stick->notify("frame");
    EXPECT_EQ(harness.run(nextOf(link->replies())), QByteArray("frame"));
    EXPECT_EQ(harness.run(reading), std::nullopt);
    EXPECT_EQ(harness.now(), 3s);

    harness.runWithoutSuspending(link->writeData("a", {}));
    platform->stick->canSend = false;
    auto waiting = harness.start(link->writeData("b", {}));
    harness.settle();
    EXPECT_FALSE(waiting.isDone());
    platform->stick->readyToSend();
    harness.run(waiting);

    EXPECT_EQ(failureOf(link->writeData("c", {})), StickError::timeout());
    EXPECT_EQ(harness.now(), 13s);
    std::stop_source stop;
    auto cancelled = harness.start(link->writeData("d", stop.get_token()));
    stop.request_stop();
    EXPECT_EQ(failureOf(cancelled), StickError::cancelled());

    // A stick that was reachable and then drops has interrupted the transfer.
    auto lost = harness.start(link->writeData("e", {}));
    platform->drop(platform->stick, failure(Kind::ConnectionTimedOut));
    EXPECT_EQ(failureOf(lost), StickError::transferInterrupted());
    EXPECT_EQ(harness.run(nextOf(link->replies())), std::nullopt);
    EXPECT_EQ(platform->stick->dataWrites, (QList<QByteArray>{"a", "b"}));
}

TEST_F(CentralTest, ScanListsEverySightingStrongestFirstUntilItsConsumerStops) {
    const auto other = std::make_shared<Device>();
    platform->connectedDevices = {other};
    auto scan = central.scan();
    const StickPeripheral connected{other->identifier(), "Brindle 4F2A", 0};
    EXPECT_EQ(harness.run(nextOf(scan)), QList{connected});

    const QUuid id = platform->stick->identifier();
    // Any device may advertise any name: it is listed without controls and overrides.
    platform->advertise(platform->stick, u"Brindle \u202E\tA\n"_qs, -70);
    platform->advertise(platform->stick, std::nullopt, -40);
    EXPECT_EQ(harness.run(nextOf(scan)), (QList{connected, {id, "Brindle A", -70}}));
    EXPECT_EQ(harness.run(nextOf(scan)), (QList{connected, {id, "Brindle 4F2A", -40}}));
    EXPECT_EQ(log.filter("stick found").size(), 1);

    auto newer = central.scan();
    scan.stop();
    EXPECT_TRUE(platform->scanning);
    newer.stop();
    EXPECT_FALSE(platform->scanning);
}

TEST_F(CentralTest, ConnectingWaitsForTheLastConnectionOfTheStickToEndAtMostThreeSeconds) {
    EXPECT_EQ(failureOf(central.connect(QUuid::createUuid(), {})), StickError::noStickFound());
    for (const bool reported : {true, false}) {
        platform->reportsCancel = reported;
        const auto start = harness.now();
        auto link = harness.run(connect());
        harness.runWithoutSuspending(link->close());
        link = harness.run(connect());
        EXPECT_EQ(harness.now() - start, reported ? 0s : 3s);
        EXPECT_TRUE(log.contains("stick connect: waiting for the last connection to end"));
    }
}

} // namespace
