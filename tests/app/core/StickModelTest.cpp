#include "app/core/StickModel.h"

#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "app/core/AppSettings.h"
#include "app/core/Journal.h"
#include "app/core/SleepInhibitor.h"
#include "app/core/StickMessages.h"
#include "app/picture/DesignThumbnails.h"
#include "support/TestData.h"
#include "support/TestHarness.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// One stick on a simulated radio, the model over it, and the journal and settings in a
// temporary folder. Time is the harness's manual clock.
class StickModelTest : public ::testing::Test {
protected:
    explicit StickModelTest(SimulatedPeripheral::Setup setup = {}) {
        peripheral = radio->addStick(stick, setup);
        model.emplace(central, harness.clock(), journal, settings, inhibitor);
    }
    ~StickModelTest() override {
        model.reset();
        harness.advance(30s); // lets the closing links finish
    }

    QUuid stickID() const { return peripheral->identifier(); }
    const Step& step() const { return model->step(); }

    // Runs the loop and the clock until the condition holds; false after the limit.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit = 20s) {
        for (auto waited = 0ms; !condition(); waited += 50ms) {
            if (waited >= limit)
                return false;
            harness.advance(50ms);
        }
        return true;
    }
    // Opens the window onto the stick, remembered and confirmed, and waits for the ready step.
    void connectConfirmed() {
        settings.setLastStickID(stickID());
        settings.setConfirmedStickIDs({stickID()});
        model->windowOpened();
        ASSERT_TRUE(waitUntil([&] { return step().is<Step::Ready>(); }));
        harness.advance(1s); // the file list
    }
    QUrl localFile(const QString& name, const QByteArray& data = tajimaDesign()) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return QUrl::fromLocalFile(file.fileName());
    }
    QString journalText() {
        journal.flush();
        QFile file(journal.filePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }

    TestHarness harness;
    QTemporaryDir folder;
    // Before the settings open: nothing of a test may reach the real home.
    bool settingsInFolder = [this] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.path()));
        return true;
    }();
    std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(u"Atelier"_qs);
    std::shared_ptr<SimulatedRadio> radio = std::make_shared<SimulatedRadio>(harness.clock());
    std::shared_ptr<SimulatedPeripheral> peripheral;
    StickCentral central{radio, harness.clock()};
    Journal journal{folder.path()};
    AppSettings settings;
    SleepInhibitor inhibitor{QDBusConnection(u"none"_qs)};
    std::optional<StickModel> model;
};

TEST_F(StickModelTest, RunsTheWholeLifeOfAConnection) {
    model->windowOpened();
    ASSERT_TRUE(waitUntil([&] { return !model->sticks().isEmpty(); }));
    EXPECT_TRUE(step().is<Step::Searching>());
    EXPECT_EQ(model->dotState(), DotState::Busy);

    // A stick met for the first time shows its name and waits to be confirmed.
    model->connectStick(stickID(), model->sticks().front().name);
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Confirm>(); }));
    EXPECT_EQ(settings.lastStickID(), stickID());
    EXPECT_TRUE(journalText().contains(u"stick connected: Atelier, firmware 1.0.0"_qs));
    model->confirmStick();
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Ready>(); }));
    EXPECT_EQ(model->statusLine(), u"Stick memory · 13.4 MB free"_qs);

    // A file that is not what its name says waits with its sentence until sent anyway.
    model->accept({localFile(u"Rose.dst"_qs), localFile(u"Rose.pes"_qs)});
    ASSERT_TRUE(waitUntil([&] { return model->queuedDesigns().value(1).preview.has_value(); }));
    EXPECT_TRUE(step().is<Step::Ready>());
    EXPECT_EQ(model->queuedDesigns().at(0).figures, u"17 × 17 mm · 95 stitches · 1 colour"_qs);
    EXPECT_EQ(model->queuedDesigns().at(0).warning, QString());
    EXPECT_EQ(model->queuedDesigns().at(1).warning,
              u"Rose.pes is not what its name says: it holds no PES design. The machine may not "
              "read it."_qs);
    model->send(false);
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Done>(); }));
    EXPECT_TRUE(model->queued().isEmpty());
    EXPECT_EQ(stick->commitLog(), QStringList({u"Rose.dst"_qs, u"Rose.pes"_qs}));
    EXPECT_TRUE(journalText().contains(u"stick send ok: Rose.dst "_qs));
    ASSERT_TRUE(waitUntil([&] { return model->designs().size() == 1; }));

    model->deleteDesign(model->designs().front().fileNames());
    ASSERT_TRUE(waitUntil([&] { return model->designs().isEmpty() && !model->isDeleting(); }));
    EXPECT_TRUE(stick->files().empty());

    model->release();
    EXPECT_TRUE(step().is<Step::Released>());
    EXPECT_FALSE(model->hasSession());
    EXPECT_EQ(model->statusLine(), u"Released — the stick is free for your iPad"_qs);

    // The confirmed stick is taken again without a question.
    model->reconnect();
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Ready>(); }));
    model->windowClosed();
    EXPECT_TRUE(step().is<Step::Starting>());
    EXPECT_FALSE(model->hasSession());
    EXPECT_TRUE(
        waitUntil([&] { return peripheral->state() == BluetoothPeripheralState::Disconnected; }));
}

TEST_F(StickModelTest, RememberedStickOutOfReachTurnsIntoASearch) {
    settings.setLastStickID(QUuid::createUuid());
    model->windowOpened();
    EXPECT_TRUE(waitUntil([&] { return step().is<Step::Searching>(); }, 60s));
    EXPECT_FALSE(model->hasSession());
}

TEST_F(StickModelTest, BluetoothThatMayNotBeUsedOffersTheSettings) {
    radio->setManagerState(BluetoothManagerState::Unauthorized);
    model->windowOpened();
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Failed>(); }));
    EXPECT_EQ(*step().get<Step::Failed>(),
              (Step::Failed{StickMessages::message(StickError::bluetoothUnauthorized()),
                            Retry::Reconnect, true}));
}

TEST_F(StickModelTest, ReplaceSendsThePreparedFilesAndKeepDropsTheQueue) {
    stick->store(u"Rose.dst"_qs, "old");
    connectConfirmed();
    const QByteArray stitches = tajimaDesign(900);
    const QUrl rose = localFile(u"Rose.dst"_qs, stitches);
    model->accept({rose});
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Replace>(); }));
    EXPECT_EQ(step().get<Step::Replace>()->names, QStringList{u"Rose.dst"_qs});
    EXPECT_EQ(model->queuedNames(), QStringList{u"Rose.dst"_qs});

    // The answer sends what was read before the question, even with the file gone meanwhile.
    QFile::remove(rose.toLocalFile());
    model->send(true);
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Done>(); }));
    EXPECT_EQ(stick->files().at(u"Rose.dst"_qs).data, stitches);

    model->accept({localFile(u"Rose.dst"_qs)});
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Replace>(); }));
    model->keepExisting();
    EXPECT_TRUE(step().is<Step::Ready>());
    EXPECT_TRUE(model->queued().isEmpty());
    EXPECT_EQ(stick->files().at(u"Rose.dst"_qs).data, stitches);
}

TEST_F(StickModelTest, NamesTheFilesOfABatchThatWereLeftOutAndKeepsTheRestAcrossARestart) {
    model->accept({localFile(u"notes.txt"_qs), localFile(u"Rose.dst"_qs), localFile(u"rose.DST"_qs),
                   localFile(u"Tulip.pes"_qs)});
    EXPECT_EQ(
        model->notice(),
        u"Not embroidery files, so not sent: notes.txt. The stick takes DST, EXP, PES, JEF, VP3 and the other machine formats.\nrose.DST: same name on the stick as another file"_qs);
    EXPECT_EQ(model->queuedNames(), QStringList({u"Rose.dst"_qs, u"Tulip.pes"_qs}));
    // Files handed over before a connection wait, even across a quit or a crash, and go once the
    // stick is ready; those gone meanwhile are named.
    model.reset();
    QFile::remove(folder.filePath(u"Tulip.pes"_qs));
    model.emplace(central, harness.clock(), journal, settings, inhibitor);
    EXPECT_EQ(model->queuedNames(), QStringList{u"Rose.dst"_qs});
    EXPECT_EQ(model->notice(), u"No longer found, so no longer queued: Tulip.pes"_qs);
    connectConfirmed();
    EXPECT_TRUE(waitUntil([&] { return step().is<Step::Done>(); }));
    EXPECT_TRUE(settings.queuedPaths().isEmpty());
}

TEST_F(StickModelTest, ADesignLargerThanTheHoopEitherWayRoundWaitsWithAWarning) {
    connectConfirmed();
    const QUrl wide = localFile(u"Wide.dst"_qs, tajimaDesign(800, {26, 10}));
    // Without a hoop chosen there is no limit.
    model->accept({wide});
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Done>(); }));
    EXPECT_EQ(model->sentDesigns().at(0).figures, u"211 × 81 mm · 95 stitches · 1 colour"_qs);
    // The picture of the sent design is kept for the stick's file list.
    ASSERT_TRUE(waitUntil([&] { return !model->designs().isEmpty(); }));
    EXPECT_FALSE(model->thumbnail(model->designs().front()).isNull());

    model->setLargestHoop(HoopSize{130, 180});
    EXPECT_EQ(settings.largestHoop(), (HoopSize{130, 180}));
    model->accept({wide});
    ASSERT_TRUE(waitUntil([&] { return !model->queuedDesigns().at(0).warning.isEmpty(); }));
    EXPECT_TRUE(step().is<Step::Ready>());
    EXPECT_EQ(model->queuedDesigns().at(0).warning,
              u"Wide.dst is 211 × 81 mm, larger than your hoop (130 × 180 mm)."_qs);
    // Turned by a quarter it fits a hoop of 150 × 240.
    model->setLargestHoop(HoopSize{150, 240});
    EXPECT_EQ(model->queuedDesigns().at(0).warning, QString());
    model->setLargestHoop(HoopSize{240, 150});
    EXPECT_EQ(model->queuedDesigns().at(0).warning, QString());
}

TEST(DesignThumbnailsTest, APictureBelongsToOneVersionOfAStoredFileAndTheOldestGo) {
    QTemporaryDir folder;
    QImage picture(128, 128, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const StickFileEntry rose(u"Rose.dst"_qs, 900, 1'700'000'000);
    const StickFileEntry newer(u"Rose.dst"_qs, 900, 1'700'000'100);
    {
        DesignThumbnails thumbnails(folder.path(), 2);
        thumbnails.store(rose, picture);
        EXPECT_EQ(thumbnails.find(rose).size(), QSize(64, 64));
        EXPECT_TRUE(thumbnails.find(newer).isNull());
        thumbnails.store(StickFileEntry(u"Tulip.dst"_qs, 900, 1), picture);
        thumbnails.store(newer, picture);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
        EXPECT_FALSE(thumbnails.find(newer).isNull());
    }
    // A damaged picture is no picture.
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a picture");
    }
    EXPECT_TRUE(DesignThumbnails(folder.path(), 2).find(newer).isNull());
}

TEST_F(StickModelTest, AFailedSendOverAGoodConnectionKeepsItAndSendsAgain) {
    connectConfirmed();
    stick->setFaults({.corruptReadback = true});
    model->accept({localFile(u"Rose.dst"_qs)});
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Failed>(); }));
    EXPECT_EQ(step().get<Step::Failed>()->retry, Retry::Send);
    EXPECT_TRUE(model->hasSession());
    EXPECT_EQ(model->dotState(), DotState::Connected);
    EXPECT_EQ(model->statusLine(), u"Not connected"_qs);
    // The damaged copy stays on the stick, so sending again asks before replacing it.
    model->retry();
    EXPECT_TRUE(waitUntil([&] { return step().is<Step::Replace>(); }));
}

TEST_F(StickModelTest, DeletingAFileAlreadyGoneCountsAsDeleted) {
    stick->store(u"Rose.dst"_qs, "stitches");
    connectConfirmed();
    model->deleteDesign({u"Rose.pes"_qs, u"Rose.dst"_qs});
    ASSERT_TRUE(waitUntil([&] { return !model->isDeleting(); }));
    EXPECT_TRUE(step().is<Step::Ready>());
    EXPECT_TRUE(stick->files().empty());
    EXPECT_TRUE(journalText().contains(u"stick delete Rose.pes: ok"_qs));
}

TEST_F(StickModelTest, AnIdleStickIsReleasedUnlessFilesWait) {
    stick->store(u"Rose.dst"_qs, "old");
    connectConfirmed();
    model->accept({localFile(u"Rose.dst"_qs)});
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Replace>(); }));
    harness.advance(StickModel::idleRelease + 1s);
    EXPECT_TRUE(step().is<Step::Replace>());

    model->keepExisting();
    harness.advance(StickModel::idleRelease - 1s);
    EXPECT_TRUE(step().is<Step::Ready>());
    harness.advance(1s);
    EXPECT_TRUE(step().is<Step::Released>());
    EXPECT_FALSE(model->hasSession());
}

TEST_F(StickModelTest, ForgettingTheStickAsksToConfirmItAgain) {
    connectConfirmed();
    model->forgetStick();
    EXPECT_TRUE(step().is<Step::Searching>());
    EXPECT_EQ(settings.lastStickID(), std::nullopt);
    EXPECT_TRUE(settings.confirmedStickIDs().isEmpty());
    model->connectStick(stickID(), u"Atelier"_qs);
    EXPECT_TRUE(waitUntil([&] { return step().is<Step::Confirm>(); }));
}

TEST_F(StickModelTest, ALateConnectionOfAClosedWindowChangesNothing) {
    settings.setLastStickID(stickID());
    model->windowOpened();
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Connecting>(); }));
    model->windowClosed();
    harness.advance(10s);
    EXPECT_TRUE(step().is<Step::Starting>());
    EXPECT_FALSE(model->hasSession());
    EXPECT_EQ(model->info(), std::nullopt);
    EXPECT_EQ(peripheral->state(), BluetoothPeripheralState::Disconnected);
}

// A stick that shows a passkey the person must type.
class StickModelPairingTest : public StickModelTest {
protected:
    StickModelPairingTest()
        : StickModelTest({.pairing = SimulatedPeripheral::Pairing::Passkey}) {}
};

TEST_F(StickModelPairingTest, AsksForThePasskeyUntilAnsweredOrTheConnectionIsDropped) {
    model->connectStick(stickID(), u"Atelier"_qs);
    ASSERT_TRUE(waitUntil([&] { return model->pairingQuestion().has_value(); }));
    EXPECT_EQ(model->pairingQuestion()->kind, PairingQuestion::Kind::Passkey);
    EXPECT_EQ(*step().get<Step::Connecting>(),
              (Step::Connecting{StickConnectPhase::Securing, u"Atelier"_qs}));
    model->windowClosed();
    EXPECT_FALSE(model->pairingQuestion().has_value());

    model->connectStick(stickID(), u"Atelier"_qs);
    ASSERT_TRUE(waitUntil([&] { return model->pairingQuestion().has_value(); }));
    model->answerPasskey(*peripheral->displayedPasskey());
    EXPECT_TRUE(waitUntil([&] { return step().is<Step::Confirm>(); }));
    EXPECT_FALSE(model->pairingQuestion().has_value());
}

// A send that ends the connection: the stick is asked what happened, over the old link while it
// still answers or by connecting once more, and is then let go.
struct LostSend {
    SimulatedPeripheral::Setup setup;
    QString diagnostics;
};

class StickModelLostSendTest : public StickModelTest,
                               public ::testing::WithParamInterface<LostSend> {
protected:
    StickModelLostSendTest()
        : StickModelTest(GetParam().setup) {}
};

TEST_P(StickModelLostSendTest, AsksTheStickWhatHappenedAndLetsItGo) {
    connectConfirmed();
    model->accept({localFile(u"Rose.dst"_qs, tajimaDesign(40'000))});
    ASSERT_TRUE(waitUntil([&] { return step().is<Step::Failed>(); }, 60s));
    EXPECT_EQ(step().get<Step::Failed>()->retry, Retry::Reconnect);
    EXPECT_FALSE(model->hasSession());
    EXPECT_EQ(model->queuedNames(), QStringList{u"Rose.dst"_qs});
    const QString line = u"stick diagnostics after the failed send: "_qs + GetParam().diagnostics;
    EXPECT_TRUE(waitUntil([&] { return journalText().contains(line); }));
    EXPECT_TRUE(
        waitUntil([&] { return peripheral->state() == BluetoothPeripheralState::Disconnected; },
                  StickModel::diagnosticsDelay + 10s));

    peripheral->setSetup({});
    model->retry();
    EXPECT_TRUE(waitUntil([&] { return step().is<Step::Done>(); }, 60s));
}

INSTANTIATE_TEST_SUITE_P(
    Sends, StickModelLostSendTest,
    ::testing::Values(LostSend{{.dropLinkAtOffset = 2000}, u"link gone, reconnecting once"_qs},
                      LostSend{{.readyNeverComes = true}, u"last pairing"_qs}));

} // namespace
