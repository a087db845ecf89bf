#include "SendKit/bluetooth/bluez/BlueZPlatform.h"
#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/async/SystemClock.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/StickPairingPrompt.h"
#include "SendKit/bluetooth/bluez/BlueZBus.h"
#include "SendKit/send/StickSend.h"
#include "cli/DoctorCommand.h"
#include "cli/EventLoopRunner.h"
#include "tests/fake-bluez/FakeBlueZ.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/TestHarness.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>

void PrintTo(const StickError& error, std::ostream* out) {
    *out << error.what();
}

namespace {

using namespace std::chrono_literals;

class TypedPasskey : public StickPairingPrompt {
public:
    QCoro::Task<std::optional<quint32>> passkey(QString name, std::stop_token) override {
        ++asked;
        names << name;
        co_return FakeBlueZ::passkey;
    }
    QCoro::Task<bool> confirm(QString, quint32, std::stop_token) override { co_return false; }
    int asked = 0;
    QStringList names;
};

// The error a task fails with, none when it succeeds; runs the event loop in real time, which
// only the fake bluetoothd and the stick behind it take.
template <class T> std::optional<StickError> failureOf(QCoro::Task<T> task) {
    try {
        EventLoopRunner::run(std::move(task));
    } catch (const StickError& error) {
        return error;
    }
    return std::nullopt;
}

// The real BlueZ backend, through the central, its links and a session, against a fake bluetoothd
// on a private bus that the test program starts.
class BlueZPlatformTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_bluez";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        daemon = new PrivateBus;
        address = daemon->address();
        ASSERT_FALSE(address.isEmpty());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
        // Calls in flight when a test ends still finish on it.
        clock = new SystemClock;
    }
    static void TearDownTestSuite() { delete std::exchange(daemon, nullptr); }

    BlueZPlatformTest() {
        StickLog::setSink([this](const QString& line) { log << line; });
        // A hang is a fault of the backend: no step may wait longer than this in real time.
        watchdog.setSingleShot(true);
        watchdog.callOnTimeout([] { qFatal("the BlueZ backend hung"); });
        watchdog.start(40s);
    }
    ~BlueZPlatformTest() override {
        StickLog::setSink({});
        centrals.clear();
        bluez.kill();
        bluez.waitForFinished();
    }

    void startBlueZ(const QString& scenario) {
        bluez.kill();
        bluez.waitForFinished();
        if (scenario == "no-bluetoothd")
            return;
        bluez.start(FAKE_BLUEZ, {scenario});
        ASSERT_TRUE(bluez.waitForReadyRead(10'000)) << scenario.toStdString();
    }

    // A central over a new BlueZ platform, as a new run of the program makes one.
    StickCentral& newCentral(Clock& clock = *BlueZPlatformTest::clock) {
        static int connections = 0;
        auto bus = QDBusConnection::connectToBus(address, QString("test%1").arg(++connections));
        auto platform = std::make_shared<BlueZPlatform>(clock, bus);
        platform->setPairingPrompt(prompt);
        return *centrals.emplace_back(std::make_unique<StickCentral>(platform, clock));
    }

    // Finds the first stick, connects, sends a file and lists the stick; the stick's identifier.
    QCoro::Task<QUuid> sendAndList(StickCentral& central) {
        auto ready = central.ready();
        co_await std::move(ready);
        auto scan = central.scan();
        const auto sticks = co_await scan.next();
        const auto id = sticks->first().id;
        auto connecting = central.connect(id, [](StickConnectPhase) {});
        auto link = co_await std::move(connecting);
        auto session = std::make_shared<StickSession>(link, *clock);
        auto info = session->getInfo();
        co_await std::move(info);
        auto sending = StickSend::send(
            {StickFile("rose.pes", QByteArray(5000, 'r'))}, false, session,
            []() -> QCoro::Task<std::shared_ptr<StickSession>> {
                throw StickError::transferInterrupted();
            },
            [](const StickSendPhase&) {}, *clock);
        co_await std::move(sending);
        auto listing = session->list();
        const auto files = co_await std::move(listing);
        EXPECT_TRUE(files.size() == 1 && files.first().name() == "rose.pes");
        auto closing = link->close();
        co_await std::move(closing);
        co_return id;
    }

    static inline PrivateBus* daemon = nullptr;
    static inline QString address;
    static inline SystemClock* clock = nullptr;
    QTimer watchdog;
    QProcess bluez;
    std::shared_ptr<TypedPasskey> prompt = std::make_shared<TypedPasskey>();
    std::vector<std::unique_ptr<StickCentral>> centrals;
    QStringList log;
};

TEST_F(BlueZPlatformTest, BluetoothIsReadyOnlyWithAPoweredAdapterWeMayUseAndDoctorSaysWhy) {
    const std::tuple<const char*, std::optional<StickError>, const char*> rows[] = {
        {"no-bluetoothd", StickError::bluetoothUnsupported(), "FAIL  bluetoothd running"},
        {"no-adapter", StickError::bluetoothUnsupported(), "FAIL  Bluetooth adapter present"},
        {"powered-off", StickError::bluetoothOff(), "FAIL  adapter powered"},
        {"access-denied", StickError::bluetoothUnauthorized(), "FAIL  permission to use"},
        {"stale-pairing", std::nullopt, "stick Brindle-01 (C8:2E:18:AA:01:02): paired"},
    };
    for (const auto& [scenario, readiness, line] : rows) {
        startBlueZ(scenario);
        EXPECT_EQ(failureOf(newCentral().ready()), readiness) << scenario;
        QString text;
        QTextStream out(&text);
        EXPECT_EQ(runDoctor(out, *clock), readiness ? ExitCode::failed : ExitCode::succeeded);
        EXPECT_TRUE(text.contains(line)) << text.toStdString();
    }
}

TEST_F(BlueZPlatformTest, ABluetoothdThatNeverAnswersMakesBluetoothUnusableInsteadOfHanging) {
    startBlueZ("one-stick");
    ::kill(bluez.processId(), SIGSTOP);
    TestHarness harness;
    auto ready = harness.start(newCentral(harness.clock()).ready());
    EXPECT_THROW(harness.run(ready), StickError);
    EXPECT_EQ(harness.now(), BlueZBus::callLimit);
}

TEST_F(BlueZPlatformTest, SendsAndListsWhateverWayBluetoothdOffersTheStick) {
    for (const auto* scenario : {"needs-pairing", "no-acquire", "services-resolve-late",
                                 "already-connected", "no-diagnostics"}) {
        startBlueZ(scenario);
        prompt->asked = 0;
        EXPECT_EQ(failureOf(sendAndList(newCentral())), std::nullopt) << scenario;
        EXPECT_EQ(prompt->asked, QString(scenario) == "needs-pairing" ? 1 : 0) << scenario;
    }
}

TEST_F(BlueZPlatformTest, AStickKeepsItsIdentifierInTheNextRunWithoutAScan) {
    startBlueZ("one-stick");
    const auto id = EventLoopRunner::run(sendAndList(newCentral()));
    auto& central = newCentral();
    EventLoopRunner::run(central.ready());
    const auto link = EventLoopRunner::run(central.connect(id, [](StickConnectPhase) {}));
    EXPECT_EQ(link->id(), id);
    EventLoopRunner::run(link->close());
}

TEST_F(BlueZPlatformTest, BrokenPairingsAndLostLinksFailWithTheirOwnErrors) {
    struct Row {
        const char* scenario;
        StickError error;
        // Whether Bluetooth is still usable afterwards.
        std::optional<StickError> readiness;
    };
    const Row rows[] = {
        {"pairing-rejected", StickError::pairingFailed(), std::nullopt},
        {"stale-pairing", StickError::pairingStale(), std::nullopt},
        {"drops-mid-transfer", StickError::transferInterrupted(), std::nullopt},
        {"adapter-removed-mid-transfer", StickError::transferInterrupted(),
         StickError::bluetoothUnsupported()},
    };
    for (const auto& [scenario, error, readiness] : rows) {
        startBlueZ(scenario);
        auto& central = newCentral();
        EXPECT_EQ(failureOf(sendAndList(central)), error) << scenario;
        EXPECT_EQ(failureOf(central.ready()), readiness) << scenario;
    }
}

// Whether a text shows as one line that reads as it stands: no controls, no direction overrides.
bool isOneCleanLine(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
    });
}

TEST_F(BlueZPlatformTest, AHostileStickIsOutlastedOrRefusedAndItsNameShownCleaned) {
    const std::pair<const char*, std::optional<StickError>> rows[] = {
        {"flood", std::nullopt},
        {"oversized-frames", std::nullopt},
        {"undersized-frames", std::nullopt},
        {"stray-replies", std::nullopt},
        {"hostile-name", std::nullopt},
        {"no-stick-service", StickError::protocolError("not a Brindle stick")},
    };
    for (const auto& [scenario, error] : rows) {
        startBlueZ(scenario);
        log.clear();
        EXPECT_EQ(failureOf(sendAndList(newCentral())), error) << scenario;
        EXPECT_TRUE(std::all_of(log.begin(), log.end(), isOneCleanLine)) << scenario;
    }
    // The name is shown as the person is asked for the passkey, too.
    ASSERT_EQ(prompt->names.size(), 1);
    EXPECT_TRUE(isOneCleanLine(prompt->names.first()));
    EXPECT_TRUE(prompt->names.first().startsWith("Brindle")) << prompt->names.first().toStdString();
}

} // namespace
