#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/StickError.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/StickPairingPrompt.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickDiagnostics.h"
#include "SendKit/send/StickSend.h"
#include "support/TestHarness.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

void PrintTo(const StickError& error, std::ostream* out) {
    *out << error.what();
}

using namespace std::chrono_literals;
using Pairing = SimulatedPeripheral::Pairing;

namespace {

// Types whatever the test says the person would type, and counts the questions.
class TypedPasskey : public StickPairingPrompt {
public:
    std::function<std::optional<quint32>()> typed;
    int asked = 0;
    QString name; // of the stick, as asked

    QCoro::Task<std::optional<quint32>> passkey(QString stick, std::stop_token) override {
        ++asked;
        name = stick;
        co_return typed();
    }
    QCoro::Task<bool> confirm(QString, quint32, std::stop_token) override { co_return false; }
};

QByteArray designBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 251) & 0xFF);
    return bytes;
}

// One simulated stick on the radio, reached through the central, the link, a session and the
// send flow, all under the manual clock.
class RadioRig {
public:
    explicit RadioRig(SimulatedPeripheral::Setup setup = {}, RadioModel model = {})
        : radio(std::make_shared<SimulatedRadio>(harness.clock(), model))
        , peripheral(radio->addStick(stick, std::move(setup))) {
        radio->setPairingPrompt(prompt);
        prompt->typed = [this] { return peripheral->displayedPasskey(); };
    }
    ~RadioRig() { harness.settle(); }

    QCoro::Task<std::shared_ptr<BluetoothStickLink>> connect() {
        return central.connect(peripheral->identifier(), {});
    }
    QCoro::Task<std::shared_ptr<StickSession>> openSession() {
        auto connecting = connect();
        std::shared_ptr<StickLink> link = co_await std::move(connecting);
        co_return std::make_shared<StickSession>(link, harness.clock());
    }
    QCoro::Task<StickReceipt> send(QByteArray data) {
        auto opening = openSession();
        std::shared_ptr<StickSession> session = co_await std::move(opening);
        const QList<StickFile> files{StickFile(QStringLiteral("rose.dst"), data)};
        auto sending = StickSend::send(
            files, false, session, [this] { return openSession(); }, {}, harness.clock());
        co_return co_await std::move(sending);
    }
    // The StickError the send fails with; none when it succeeds.
    std::optional<StickError> sendFailure(QByteArray data) {
        try {
            harness.run(send(std::move(data)));
        } catch (const StickError& error) {
            return error;
        }
        return std::nullopt;
    }

    TestHarness harness;
    std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(QStringLiteral("Brindle Sim"));
    std::shared_ptr<TypedPasskey> prompt = std::make_shared<TypedPasskey>();
    std::shared_ptr<SimulatedRadio> radio;
    std::shared_ptr<SimulatedPeripheral> peripheral;
    StickCentral central{radio, harness.clock()};
};

TEST(SimulatedRadioTest, PairsWithThePasskeyOnceAndSendsThroughLostChunks) {
    RadioRig rig({.pairing = Pairing::Passkey}, {.dropRate = 0.02});
    const QByteArray data = designBytes(200'000);

    const StickReceipt receipt = rig.harness.run(rig.send(data));

    EXPECT_EQ(rig.prompt->asked, 1);
    EXPECT_EQ(rig.stick->files().at(QStringLiteral("rose.dst")).data, data);
    EXPECT_EQ(receipt.files.size(), 1);
    EXPECT_GT(rig.peripheral->droppedChunks(), 0);
    // The bond holds: the next connection is secured without asking, and the stick's record
    // tells of it and of the chunks it dropped.
    const auto link = rig.harness.run(rig.connect());
    EXPECT_EQ(rig.prompt->asked, 1);
    const std::optional<StickDiagnostics> record = rig.harness.run(link->readDiagnostics());
    ASSERT_TRUE(record && record->transfer);
    EXPECT_TRUE(record->bonded);
    EXPECT_EQ(record->outcome, 3); // secured
    EXPECT_EQ(record->transfer->queueDrops, quint32(rig.peripheral->droppedChunks()));
}

TEST(SimulatedRadioTest, AnInstantRadioTakesNoTimeAndAnOldStickNeedsNoDiagnostics) {
    RadioRig rig({.lacksDiagnostics = true}, {.instant = true});
    const QByteArray data = designBytes(100'000);

    rig.harness.run(rig.send(data));

    EXPECT_EQ(rig.harness.now(), 0s);
    EXPECT_EQ(rig.stick->files().at(QStringLiteral("rose.dst")).data, data);
    const auto link = rig.harness.run(rig.connect());
    EXPECT_EQ(rig.harness.run(link->readDiagnostics()), std::nullopt);
}

QCoro::Task<std::optional<QList<StickPeripheral>>> nextOf(const StickScan& scan) {
    co_return co_await scan.next();
}

TEST(SimulatedRadioTest, AScanSeesTheSystemsStickFirstThenTheSticksInRange) {
    RadioRig rig({.connectedToSystem = true});
    const auto near =
        rig.radio->addStick(LoopbackStick::create(QStringLiteral("Near")), {.rssi = -40});
    rig.radio->addStick(LoopbackStick::create(QStringLiteral("Far")), {.advertising = false});
    const StickPeripheral connected{rig.peripheral->identifier(), QStringLiteral("Brindle Sim"), 0};
    StickScan scan = rig.central.scan();

    EXPECT_EQ(rig.harness.run(nextOf(scan)), QList{connected});
    for (int sighting = 0; sighting < 3; ++sighting) {
        const auto list = rig.harness.run(nextOf(scan));
        ASSERT_TRUE(list && list->size() == 2);
        EXPECT_EQ(list->at(0), connected);
        EXPECT_EQ(list->at(1).id, near->identifier());
        EXPECT_NEAR(list->at(1).rssi, -40, 3);
    }
}

TEST(SimulatedRadioTest, SetUpFailsAsTheStickOrThePersonDecides) {
    struct Case {
        SimulatedPeripheral::Setup setup;
        bool typesWrongPasskey;
        StickError expected;
        BluetoothManagerState bluetooth = BluetoothManagerState::PoweredOn;
    };
    const QList<Case> cases{
        {{.pairing = Pairing::Passkey}, true, StickError::pairingFailed()},
        {{.pairing = Pairing::Rejected}, false, StickError::pairingFailed()},
        {{.pairing = Pairing::Forgotten, .bonded = true}, false, StickError::pairingStale()},
        {{.lacksStickService = true}, false, StickError::protocolError("not a Brindle stick")},
        {{}, false, StickError::bluetoothOff(), BluetoothManagerState::PoweredOff},
        {{}, false, StickError::bluetoothUnauthorized(), BluetoothManagerState::Unauthorized},
    };
    for (const Case& c : cases) {
        RadioRig rig(c.setup);
        rig.radio->setManagerState(c.bluetooth);
        if (c.typesWrongPasskey)
            rig.prompt->typed = [&rig] { return *rig.peripheral->displayedPasskey() ^ 1; };
        EXPECT_EQ(rig.sendFailure(designBytes(1'000)), c.expected);
        EXPECT_TRUE(rig.stick->files().empty());
    }
}

TEST(SimulatedRadioTest, LinkLostDuringCommitIsRecoveredThroughTheCentral) {
    // The radio loses the link, or the stick drops it itself after storing the file.
    for (const bool stickDrops : {false, true}) {
        RadioRig rig({.dropLinkAtCommit = !stickDrops});
        LoopbackStick::Faults faults;
        faults.dropLinkAfterCommit = stickDrops;
        rig.stick->setFaults(faults);
        const QByteArray data = designBytes(30'000);

        const StickReceipt receipt = rig.harness.run(rig.send(data));

        EXPECT_FALSE(rig.peripheral->setup().dropLinkAtCommit ||
                     rig.stick->faults().dropLinkAfterCommit); // the link did drop
        EXPECT_EQ(rig.stick->commitLog(), QStringList{QStringLiteral("rose.dst")});
        EXPECT_EQ(receipt.files.at(0).size, quint32(data.size()));
    }
}

TEST(SimulatedRadioTest, RadioFaultsDuringTheTransferFailTheSend) {
    struct Case {
        SimulatedPeripheral::Setup setup;
        StickError expected;
    };
    const QList<Case> cases{
        {{.bluetoothOffAtOffset = 40'000}, StickError::bluetoothOff()},
        {{.dropLinkAtOffset = 40'000}, StickError::transferInterrupted()},
        {{.readyNeverComes = true}, StickError::timeout()},
    };
    for (const Case& c : cases) {
        RadioRig rig(c.setup);
        EXPECT_EQ(rig.sendFailure(designBytes(100'000)), c.expected);
        EXPECT_TRUE(rig.stick->commitLog().isEmpty());
    }
}

TEST(SimulatedRadioTest, AHostileStickIsOutlastedOrFailsTheSendWithoutHanging) {
    using Hostility = SimulatedPeripheral::Hostility;
    const std::pair<Hostility, std::optional<StickError>> cases[] = {
        {Hostility::Flood, std::nullopt},
        {Hostility::OversizedFrames, std::nullopt},
        {Hostility::UndersizedFrames, std::nullopt},
        {Hostility::StrayReplies, std::nullopt},
        {Hostility::FallsSilent, StickError::timeout()},
    };
    for (const auto& [hostility, expected] : cases) {
        RadioRig rig(
            {.name = HostileStick::name(), .pairing = Pairing::Passkey, .hostility = hostility});
        const QByteArray data = designBytes(60'000);
        EXPECT_EQ(rig.sendFailure(data), expected) << int(hostility);
        // The person is asked about a name that shows as it reads.
        EXPECT_TRUE(rig.prompt->name.startsWith(QStringLiteral("Brindle")));
        EXPECT_FALSE(
            rig.prompt->name.contains(QRegularExpression(QStringLiteral("[\\p{Cc}\\p{Cf}]"))));
        const auto& files = rig.stick->files();
        if (expected)
            EXPECT_TRUE(files.empty());
        else
            EXPECT_TRUE(files.size() == 1 && files.begin()->second.data == data);
    }
}

QCoro::Task<void> writeUntil(std::shared_ptr<BluetoothStickLink> link, Clock& clock,
                             std::chrono::nanoseconds end) {
    const QByteArray frame(RadioModel::maxWriteValue(517), 'x');
    while (clock.now() < end) {
        auto writing = link->writeData(frame, {});
        co_await std::move(writing);
    }
}

TEST(SimulatedRadioTest, ALoadedConnectionCarriesTheModelsCapacity) {
    for (const RadioModel& model :
         {RadioModel{}, RadioModel{.phy = RadioModel::Phy::LE1M, .connectionInterval = 30ms}}) {
        RadioRig rig({}, model);
        const auto link = rig.harness.run(rig.connect());
        const auto start = rig.harness.now();
        const qint64 before = rig.peripheral->deliveredBytes();

        rig.harness.run(writeUntil(link, rig.harness.clock(), start + 3s));

        const double seconds = std::chrono::duration<double>(rig.harness.now() - start).count();
        // Exact up to the writes of one connection event.
        EXPECT_NEAR(double(rig.peripheral->deliveredBytes() - before), model.capacity() * seconds,
                    5 * 514);
    }
}

} // namespace
