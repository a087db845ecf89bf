// brindle-stick: the window, the tray item and the desktop around them. Picks the Bluetooth
// platform at run time (BlueZ, or the simulated radio with --simulate[=DIR] or when the computer
// has no Bluetooth adapter) and hands the files on its command line to the one running instance.

#include "SendKit/async/SystemClock.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/bluez/BlueZPlatform.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackFolder.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "app/core/AppLanguage.h"
#include "app/core/AppSettings.h"
#include "app/core/Journal.h"
#include "app/core/SleepInhibitor.h"
#include "app/core/StickModel.h"
#include "app/ui/AppShell.h"
#include "app/ui/Artwork.h"
#include "app/ui/MainWindow.h"
#include "app/ui/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSystemTrayIcon>
#include <QTextStream>

#include <optional>
#include <stdexcept>

namespace {

struct Options {
    // --simulate: the simulated radio; with =DIR its stick keeps its files in DIR.
    bool simulate = false;
    std::optional<QString> folder;
    // Files to send, as absolute paths.
    QStringList files;
};

Options parse(const QStringList& arguments) {
    Options options;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--simulate")) {
            options.simulate = true;
        } else if (argument.startsWith(QLatin1String("--simulate="))) {
            options.simulate = true;
            options.folder = argument.mid(int(sizeof("--simulate=")) - 1);
        } else if (argument.startsWith(u'-')) {
            throw std::invalid_argument("unknown option " + argument.toStdString() +
                                        " (usage: brindle-stick [--simulate[=DIR]] [FILE...])");
        } else {
            options.files << QFileInfo(argument).absoluteFilePath();
        }
    }
    return options;
}

bool hasBluetoothAdapter() {
    return !QDir(QStringLiteral("/sys/class/bluetooth"))
                .isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

// The simulated stick "Brindle Sim" at the radio model's speed, its files loaded from the folder
// and written back to it whenever the application has listed them anew (after every send and
// deletion), so that nothing sent is lost when the process is stopped.
struct SimulatedStick {
    std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(QStringLiteral("Brindle Sim"));
    std::optional<LoopbackFolder> folder;

    void keep() {
        if (!folder)
            return;
        try {
            folder->save(*stick);
        } catch (const std::exception& error) {
            QTextStream(stderr) << "error: " << error.what() << Qt::endl;
        }
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("brindle-stick"));
    QApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION));
    const AppLanguage language;
    QApplication::setDesktopFileName(QStringLiteral("brindle-stick"));
    QApplication::setWindowIcon(Artwork::application());
    // Closing the window quits only without the tray item; the shell decides.
    QApplication::setQuitOnLastWindowClosed(false);
    QTextStream err(stderr);

    Options options;
    try {
        options = parse(QApplication::arguments().mid(1));
    } catch (const std::invalid_argument& error) {
        err << "error: " << error.what() << Qt::endl;
        return 2;
    }
    SingleInstance instance;
    if (!instance.claim()) {
        auto forwarding = instance.forward(options.files);
        if (QCoro::waitFor(forwarding))
            return 0;
        err << "error: Brindle Stick is already running but does not answer." << Qt::endl;
        return 1;
    }

    SystemClock clock;
    Journal journal;
    journal.write(
        Journal::launchLine(QApplication::applicationVersion(), QStringLiteral(BRINDLE_BUILD)));
    std::shared_ptr<BluetoothPlatform> platform;
    SimulatedStick simulated;
    try {
        if (!options.simulate && !hasBluetoothAdapter())
            err << "No Bluetooth adapter on this computer: using the simulated stick." << Qt::endl;
        if (options.simulate || !hasBluetoothAdapter()) {
            if (options.folder) {
                simulated.folder.emplace(*options.folder);
                simulated.folder->load(*simulated.stick);
            }
            auto radio = std::make_shared<SimulatedRadio>(clock);
            radio->addStick(simulated.stick);
            platform = radio;
        } else {
            platform = std::make_shared<BlueZPlatform>(clock);
        }
    } catch (const std::exception& error) {
        err << "error: " << error.what() << Qt::endl;
        return 1;
    }
    StickCentral central(platform, clock);
    AppSettings settings;
    SleepInhibitor inhibitor;
    StickModel model(central, clock, journal, settings, inhibitor);
    AppShell shell(model, settings, journal, QSystemTrayIcon::isSystemTrayAvailable());
    QObject::connect(&instance, &SingleInstance::opened, &shell, &AppShell::openFiles);
    QObject::connect(&model, &StickModel::stickFilesChanged, [&simulated] { simulated.keep(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&simulated] { simulated.keep(); });

    shell.window().show();
    QList<QUrl> files;
    for (const QString& path : options.files)
        files << QUrl::fromLocalFile(path);
    shell.openFiles(files);
    return app.exec();
}
