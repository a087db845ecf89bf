#include "tests/app/ui/WindowFixture.h"

#include "app/core/AppLanguage.h"
#include "app/ui/DesignRow.h"
#include "app/ui/FilesSection.h"
#include "app/ui/SettingsDialog.h"
#include "app/ui/StickHeader.h"
#include "app/ui/WindowFooter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>

using namespace std::chrono_literals;

namespace {

class WindowTest : public WindowFixture {
protected:
    WindowTest() {
        stick->store(u"Rose.dst"_qs, QByteArray(4000, 'r'), 1'700'000'000);
        stick->store(u"Rose.png"_qs, QByteArray(9000, 'p'), 1'700'000'000);
        stick->store(u"Tulip.exp"_qs, QByteArray(700, 't'));
    }

    QString card() { return shownText(window().card()); }
    QStringList cardButtons() { return shownButtons(window().card()); }
    // The window as it looks now, for a person to check by eye.
    void snap(const char* name) {
        QDir().mkpath(QStringLiteral(BRINDLE_SCREENSHOTS));
        // Layouts settle in posted events.
        QApplication::processEvents();
        window().grab().save(QStringLiteral(BRINDLE_SCREENSHOTS "/%1.png").arg(name));
    }
    void drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = window().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window(), &enter);
        EXPECT_TRUE(window().isTargeted());
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window(), &dropped);
        EXPECT_FALSE(window().isTargeted());
    }
};

TEST_F(WindowTest, CardsFollowTheStepsOfAConnectionAndASend) {
    peripheral->setSetup({.pairing = SimulatedPeripheral::Pairing::Passkey, .passkey = 123456});
    EXPECT_EQ(card(), u"Starting Bluetooth…"_qs);
    EXPECT_EQ(window().header()->title(), u"Brindle Stick"_qs);
    EXPECT_EQ(window().footer()->versionText(), u"Brindle Stick "_qs);
    snap("starting");
    window().show();

    // Searching: a row per stick, then the hint once the search has run long.
    ASSERT_TRUE(waitUntil([&] { return model->searchedLong(); }));
    EXPECT_TRUE(card().startsWith(u"Looking for sticks…\nAtelier\n›\nNo stick yet."_qs));
    snap("searching");
    button(window().card(), u"Atelier"_qs)->click();

    // Pairing: the passkey typed into the card reaches the stick.
    ASSERT_TRUE(waitUntil([&] { return model->pairingQuestion().has_value(); }));
    EXPECT_TRUE(card().startsWith(u"Connecting to Atelier…\nAtelier shows 6 digits"_qs));
    auto* passkey = window().card()->findChild<QLineEdit*>();
    QTest::keyClicks(passkey, u"12345x6"_qs);
    EXPECT_EQ(passkey->text(), u"123456"_qs);
    snap("pairing");
    button(window().card(), u"Pair"_qs)->click();

    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Confirm>(); }));
    EXPECT_EQ(card(), u"Is this the right stick?\nLook at the stick in your machine: its display "
                      "now shows “Atelier”. Only then say yes."_qs);
    EXPECT_EQ(cardButtons(), QStringList({u"Yes, that one"_qs, u"Another stick"_qs}));
    EXPECT_TRUE(window().files()->isHidden());
    snap("confirm");
    button(window().card(), u"Yes, that one"_qs)->click();

    ASSERT_TRUE(waitUntil([&] { return model->designs().size() == 2; }));
    EXPECT_EQ(card(), u"Ready. Drop embroidery files on this window to send them.\nDrop "
                      "embroidery files here"_qs);
    EXPECT_EQ(window().header()->title(), u"Atelier"_qs);
    EXPECT_TRUE(window().footer()->offersUpdate()); // the simulated stick runs 1.0.0
    EXPECT_FALSE(window().files()->isHidden());
    snap("ready");

    // A send: a bar with its percentage, checking, done; no file list meanwhile.
    model->accept({localFile(u"Leaf.dst"_qs, 300'000)});
    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Sending>(); }, 10ms));
    ASSERT_TRUE(waitUntil([&] { return model->step().get<Step::Sending>()->fraction > 0.3; }));
    const auto* bar = window().card()->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    const int percent = qRound(model->step().get<Step::Sending>()->fraction * 100);
    EXPECT_EQ(card(), u"Sending Leaf.dst\n%1%"_qs.arg(percent));
    EXPECT_EQ(bar->value(), int(model->step().get<Step::Sending>()->fraction * 1000));
    EXPECT_TRUE(window().files()->isHidden());
    snap("sending");
    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Verifying>(); }, 2ms));
    EXPECT_EQ(card(), u"Checking on the stick…"_qs);
    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Done>(); }));
    EXPECT_EQ(card(), u"Sent: Leaf.dst\nVerified: the stick read it back unchanged. The machine "
                      "sees it now.\nLeaf.dst\n17 × 17 mm · 99,829 stitches · 1 colour"_qs);
    harness.advance(1s);
    snap("done");

    model->accept({localFile(u"Leaf.dst"_qs)});
    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Replace>(); }));
    EXPECT_EQ(card(), u"Already on the stick: Leaf.dst. Replace?"_qs);
    snap("replace");
    button(window().card(), u"Keep"_qs)->click();
    EXPECT_TRUE(model->step().is<Step::Ready>());
    EXPECT_TRUE(model->queued().isEmpty());

    model->release();
    EXPECT_EQ(card(), u"The stick is free for your iPad."_qs);
    EXPECT_EQ(window().footer()->versionText(), u"Brindle Stick "_qs);
    snap("released");
    radio->setManagerState(BluetoothManagerState::Unauthorized);
    button(window().card(), u"Connect again"_qs)->click();
    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Failed>(); }));
    EXPECT_EQ(cardButtons(),
              QStringList({u"Try again"_qs, u"Open Settings"_qs, u"Forget the files"_qs}));
    snap("failed");
}

// The previews of queued and sent designs, their warnings and the pictures in the stick's list,
// in English and in German.
class WindowPreviewTest : public WindowTest, public ::testing::WithParamInterface<QString> {
protected:
    WindowPreviewTest() {
        if (GetParam() == u"en")
            return;
        // The window is made again so that its fixed texts speak the language too.
        shell.reset();
        language.emplace(QLocale(GetParam()));
        QLocale::setDefault(QLocale(GetParam()));
        shell.emplace(*model, settings, journal, true);
    }
    ~WindowPreviewTest() override { QLocale::setDefault(QLocale::c()); }
    bool english() const { return GetParam() == u"en"; }
    QStringList rowsWithPictures() {
        QStringList names;
        for (const DesignRow* row : window().files()->findChildren<DesignRow*>())
            if (row->showsThumbnail())
                names << row->design().name;
        return names;
    }

    std::optional<AppLanguage> language;
};

TEST_P(WindowPreviewTest, DesignsShowTheirPicturesAndWaitWithAWarning) {
    openConfirmed();
    SettingsDialog& preferences = shell->showPreferences();
    preferences.hoopChoice()->setCurrentIndex(1);
    EXPECT_EQ(settings.largestHoop(), (HoopSize{100, 100}));
    preferences.grab().save(
        QStringLiteral(BRINDLE_SCREENSHOTS "/%1-preferences.png").arg(GetParam()));
    preferences.close();

    QFile cut(folder.filePath(u"Short.dst"_qs));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(tajimaDesign().left(300));
    cut.close();
    const auto sample = [](const char* name) {
        return QUrl::fromLocalFile(QStringLiteral(BRINDLE_SAMPLES "/") + QLatin1String(name));
    };
    model->accept({sample("star.dst"), sample("star.png"), sample("flower.jef"), sample("leaf.pes"),
                   localFile(u"Wide.dst"_qs, 3000, {16, 5}), QUrl::fromLocalFile(cut.fileName())});
    ASSERT_TRUE(waitUntil([&] { return !model->queuedDesigns().at(5).warning.isEmpty(); }));
    EXPECT_TRUE(model->step().is<Step::Ready>());
    // A companion file has no preview and no warning.
    EXPECT_FALSE(model->queuedDesigns().at(1).preview.has_value());
    EXPECT_EQ(model->queuedDesigns().at(1).warning, QString());
    if (english()) {
        EXPECT_TRUE(
            card().contains(u"Wide.dst is 130 × 41 mm, larger than your hoop (100 × 100 mm)."_qs));
        EXPECT_TRUE(card().contains(u"Short.dst is cut short: it ends after 300 bytes"_qs));
        EXPECT_EQ(cardButtons(), QStringList({u"Send"_qs, u"Cancel"_qs, u"Choose Files…"_qs}));
    }
    snap(qPrintable(GetParam() + u"-ready-previews"_qs));
    if (english()) {
        button(window().card(), u"Take Short.dst out of the queue"_qs)->click();
        EXPECT_EQ(model->queuedNames().size(), 5);
        EXPECT_FALSE(card().contains(u"Short.dst"_qs));
    }

    QAbstractButton* send = button(window().card(), english() ? u"Send"_qs : u"Senden"_qs);
    ASSERT_NE(send, nullptr);
    send->click();
    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Done>(); }));
    ASSERT_TRUE(waitUntil([&] { return rowsWithPictures().size() == 4; }));
    QStringList pictured = rowsWithPictures();
    pictured.sort();
    EXPECT_EQ(pictured, QStringList({u"Wide"_qs, u"flower"_qs, u"leaf"_qs, u"star"_qs}));
    snap(qPrintable(GetParam() + u"-done-previews"_qs));
    // Even the ages of the designs speak the window's language, though LANGUAGE never reaches ICU.
    const QRegularExpression englishAge(u"(now| ago)$"_qs);
    qsizetype englishAges = 0;
    for (const DesignRow* row : window().files()->findChildren<DesignRow*>())
        englishAges += row->detail().contains(englishAge);
    EXPECT_EQ(englishAges > 0, english());
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowPreviewTest, ::testing::Values(u"en"_qs, u"de"_qs));

TEST_F(WindowTest, FilesAreFoundBySearchAndDeletedOnlyAfterConfirmation) {
    openConfirmed();
    FilesSection& files = *window().files();
    EXPECT_EQ(files.shownDesigns(), QStringList({u"Rose"_qs, u"Tulip"_qs}));
    files.searchField()->setText(u"  rO "_qs);
    EXPECT_EQ(files.shownDesigns(), QStringList({u"Rose"_qs}));
    files.searchField()->setText(u"daisy"_qs);
    EXPECT_TRUE(files.shownDesigns().isEmpty());
    EXPECT_EQ(files.emptyText(), u"No design with that name."_qs);
    files.searchField()->clear();

    const auto askToDeleteRose = [&] {
        button(&files, u"Delete from the stick"_qs)->click();
        QMessageBox* question = window().deletionQuestion();
        EXPECT_EQ(question->text(), u"Delete “Rose” from the stick?"_qs);
        EXPECT_EQ(question->informativeText(),
                  u"Removes Rose.dst, Rose.png. This cannot be undone."_qs);
        return question;
    };
    button(askToDeleteRose(), u"Cancel"_qs)->click();
    harness.advance(1s);
    EXPECT_EQ(stick->files().size(), 3u);
    button(askToDeleteRose(), u"Delete"_qs)->click();
    ASSERT_TRUE(waitUntil([&] { return model->designs().size() == 1 && !model->isDeleting(); }));
    EXPECT_EQ(files.shownDesigns(), QStringList({u"Tulip"_qs}));
    EXPECT_EQ(stick->files().size(), 1u);
}

TEST_F(WindowTest, FilesDroppedAnywhereGoToTheModel) {
    stick->setUSBState({StickUSBState::HostActive{}});
    openConfirmed();
    EXPECT_TRUE(card().startsWith(u"The machine is reading from the stick right now.\nReady."_qs));
    drop({localFile(u"notes.txt"_qs), localFile(u"Leaf.dst"_qs)});
    EXPECT_EQ(model->queuedNames(), QStringList({u"Leaf.dst"_qs}));
    ASSERT_NE(window().noticeAlert(), nullptr);
    EXPECT_EQ(window().noticeAlert()->text(), u"Not sent"_qs);
    EXPECT_TRUE(window().noticeAlert()->informativeText().contains(u"notes.txt"_qs));
    window().noticeAlert()->accept();
    EXPECT_TRUE(model->notice().isEmpty());
    // The machine is busy with the stick: the send waits for it, the card says so.
    ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Failed>(); }));
    EXPECT_TRUE(card().startsWith(u"The machine is reading from the stick right now. Wait"_qs));
}

} // namespace
