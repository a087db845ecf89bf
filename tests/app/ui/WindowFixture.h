#pragma once

#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "app/core/AppSettings.h"
#include "app/core/Journal.h"
#include "app/core/SleepInhibitor.h"
#include "app/core/StickModel.h"
#include "app/ui/AppShell.h"
#include "app/ui/MainWindow.h"
#include "app/ui/StepCard.h"
#include "support/TestData.h"
#include "support/TestHarness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The widget application, made before anything makes a plain core application.
struct WidgetApplication {
    WidgetApplication() {
        if (QCoreApplication::instance())
            return;
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};

// The application's shell and window over a model on one simulated stick ("Atelier"), with the
// journal and settings in a temporary folder and time on the harness's manual clock.
class WindowFixture : public ::testing::Test {
protected:
    explicit WindowFixture(bool trayAvailable = true) {
        peripheral = radio->addStick(stick);
        model.emplace(central, harness.clock(), journal, settings, inhibitor);
        shell.emplace(*model, settings, journal, trayAvailable);
    }
    ~WindowFixture() override {
        shell.reset();
        model.reset();
        harness.advance(std::chrono::seconds(30)); // lets the closing links finish
    }

    MainWindow& window() { return shell->window(); }

    bool waitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds step = std::chrono::milliseconds(50)) {
        for (auto waited = std::chrono::milliseconds(0); !condition(); waited += step) {
            if (waited >= std::chrono::seconds(30))
                return false;
            harness.advance(step);
        }
        return true;
    }
    // Shows the window onto the stick, remembered and confirmed, and waits for its file list.
    void openConfirmed() {
        settings.setLastStickID(peripheral->identifier());
        settings.setConfirmedStickIDs({peripheral->identifier()});
        window().show();
        ASSERT_TRUE(waitUntil([&] { return model->step().is<Step::Ready>(); }));
        harness.advance(std::chrono::seconds(1));
    }
    // A file of a DST design, whatever its name says.
    QUrl localFile(const QString& name, qsizetype size = 800, QSize steps = {2, 2}) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(tajimaDesign(size, steps));
        return QUrl::fromLocalFile(file.fileName());
    }

    // The texts of the labels shown in the widget, one a line.
    static QString shownText(QWidget* widget) {
        QStringList texts;
        for (QLabel* label : widget->findChildren<QLabel*>())
            if (label->isVisibleTo(widget) && !label->text().isEmpty())
                texts << label->text();
        return texts.join(u'\n');
    }
    // The texts of the buttons shown in the widget.
    static QStringList shownButtons(QWidget* widget) {
        QStringList texts;
        for (QAbstractButton* button : widget->findChildren<QAbstractButton*>())
            if (button->isVisibleTo(widget) && !button->text().isEmpty())
                texts << button->text();
        return texts;
    }
    static QAbstractButton* button(QWidget* widget, const QString& text) {
        for (QAbstractButton* button : widget->findChildren<QAbstractButton*>())
            if (button->isVisibleTo(widget) &&
                (button->text() == text || button->accessibleName() == text))
                return button;
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }

    WidgetApplication application;
    TestHarness harness;
    QTemporaryDir folder;
    // Before the settings are made: they must never touch the real home folder.
    bool isolated = [this] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.path()));
        return true;
    }();
    std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(QStringLiteral("Atelier"));
    std::shared_ptr<SimulatedRadio> radio = std::make_shared<SimulatedRadio>(harness.clock());
    std::shared_ptr<SimulatedPeripheral> peripheral;
    StickCentral central{radio, harness.clock()};
    Journal journal{folder.path()};
    AppSettings settings;
    SleepInhibitor inhibitor{QDBusConnection(QStringLiteral("none"))};
    std::optional<StickModel> model;
    std::optional<AppShell> shell;
};
