#include "tests/app/ui/WindowFixture.h"
#include "tests/support/PrivateBus.h"

#include "app/ui/FirmwareVersion.h"
#include "app/ui/SettingsDialog.h"
#include "app/ui/SingleInstance.h"
#include "app/ui/TrayItem.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QSignalSpy>

using namespace std::chrono_literals;

namespace {

class ShellTest : public WindowFixture {
protected:
    QStringList trayMenu() {
        shell->tray().rebuildMenu();
        QStringList texts;
        for (QAction* action : shell->tray().menu().actions())
            texts << (action->isSeparator() ? u"-"_qs : action->text());
        return texts;
    }
    QAction* menuAction(const QString& text) {
        for (QAction* action : window().menuBar()->findChildren<QAction*>())
            if (action->text() == text)
                return action;
        return nullptr;
    }
};

TEST_F(ShellTest, TrayItemAndStickMenuFollowTheSession) {
    EXPECT_EQ(shell->tray().toolTip(), u"Brindle Stick — Starting…"_qs);
    EXPECT_EQ(trayMenu(), QStringList({u"Brindle Stick"_qs, u"Starting…"_qs, u"-"_qs,
                                       u"Open Brindle Stick"_qs, u"Send Files…"_qs, u"-"_qs,
                                       u"Connect"_qs, u"-"_qs, u"Quit Brindle Stick"_qs}));
    EXPECT_FALSE(menuAction(u"Release the Stick"_qs)->isEnabled());

    openConfirmed();
    EXPECT_TRUE(shell->tray().toolTip().startsWith(u"Atelier — Stick memory · "_qs));
    EXPECT_EQ(trayMenu().mid(0, 7),
              QStringList({u"Atelier"_qs, model->statusLine(), u"-"_qs, u"Open Brindle Stick"_qs,
                           u"Send Files…"_qs, u"-"_qs, u"Release the Stick"_qs}));
    EXPECT_TRUE(menuAction(u"Forget This Stick"_qs)->isEnabled());
    shell->tray().menu().actions().at(6)->trigger();
    EXPECT_TRUE(model->step().is<Step::Released>());
    EXPECT_FALSE(menuAction(u"Forget This Stick"_qs)->isEnabled());
    EXPECT_EQ(trayMenu().at(6), u"Connect"_qs);
}

TEST_F(ShellTest, PreferencesShowAndHideTheTrayIcon) {
    EXPECT_TRUE(shell->tray().isShown());
    EXPECT_TRUE(shell->keepsRunningWithoutWindow());
    QCheckBox* toggle = shell->showPreferences().trayToggle();
    toggle->click();
    EXPECT_FALSE(shell->tray().isShown());
    EXPECT_FALSE(settings.menuBar());
    EXPECT_FALSE(shell->keepsRunningWithoutWindow());
    toggle->click();
    EXPECT_TRUE(shell->tray().isShown());
    EXPECT_TRUE(AppSettings().menuBar());

    // A desktop without a tray: the choice is not offered, and closing the window quits.
    shell.reset();
    shell.emplace(*model, settings, journal, false);
    EXPECT_FALSE(shell->showPreferences().trayToggle()->isEnabled());
    EXPECT_FALSE(shell->keepsRunningWithoutWindow());
}

TEST(FirmwareVersionTest, OlderThanRecommendedByItsNumbers) {
    const struct {
        const char* version;
        bool outdated;
    } cases[] = {{"1.0.9", true},   {"v1-0-9", true},
                 {"0.9.99", true},  {"1.0.10", false},
                 {"1.1", false},    {"1.0.10-beta", false},
                 {"2", false},      {"", false},
                 {"beta", false},   {"1.0.99999999999999999999999", true},
                 {"1.0.010", false}};
    for (const auto& c : cases)
        EXPECT_EQ(FirmwareVersion::isOutdated(QString::fromUtf8(c.version)), c.outdated)
            << c.version;
}

TEST(SingleInstanceTest, ASecondInstanceHandsItsFilesToTheFirst) {
    WidgetApplication application;
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    const QString& address = bus.address();
    {
        SingleInstance first(QDBusConnection::connectToBus(address, u"first"_qs));
        SingleInstance second(QDBusConnection::connectToBus(address, u"second"_qs));
        QSignalSpy opened(&first, &SingleInstance::opened);
        ASSERT_TRUE(first.claim());
        EXPECT_FALSE(second.claim());
        auto forwarding = second.forward({u"/home/a/Rose.dst"_qs});
        EXPECT_TRUE(QCoro::waitFor(forwarding));
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ(opened.front().front().value<QList<QUrl>>(),
                  QList<QUrl>({QUrl::fromLocalFile(u"/home/a/Rose.dst"_qs)}));
    }
    QDBusConnection::disconnectFromBus(u"first"_qs);
    QDBusConnection::disconnectFromBus(u"second"_qs);
}

} // namespace
