#include "app/core/Desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>

namespace {

struct Command {
    QString program;
    QStringList arguments;
    bool kde;
};

// Starts the program when it is installed; false otherwise.
bool launch(const QString& program, const QStringList& arguments) {
    const QString path = QStandardPaths::findExecutable(program);
    return !path.isEmpty() && QProcess::startDetached(path, arguments);
}

} // namespace

bool Desktop::openBluetoothSettings() {
    const QString bluetooth = QStringLiteral("bluetooth");
    const QString kcm = QStringLiteral("kcm_bluetooth");
    QList<Command> commands = {
        {QStringLiteral("gnome-control-center"), {bluetooth}, false},
        {QStringLiteral("kcmshell6"), {kcm}, true},
        {QStringLiteral("kcmshell5"), {kcm}, true},
        {QStringLiteral("systemsettings"), {kcm}, true},
        {QStringLiteral("blueman-manager"), {}, false},
    };
    // On Plasma with GNOME Settings also installed, Plasma's own module is the one that fits.
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    if (desktops.contains(QStringLiteral("KDE"), Qt::CaseInsensitive))
        std::stable_partition(commands.begin(), commands.end(),
                              [](const Command& command) { return command.kde; });
    for (const Command& command : commands) {
        if (launch(command.program, command.arguments))
            return true;
    }
    return false;
}

void Desktop::openUrl(const QUrl& url) {
    launch(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

void Desktop::revealFile(const QString& filePath) {
    const QString folder = QFileInfo(filePath).absolutePath();
    const auto openFolder = [folder] { openUrl(QUrl::fromLocalFile(folder)); };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(filePath).toString(QUrl::FullyEncoded)} << QString();
    // Asynchronous, so a file manager that is slow to start does not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [openFolder](QDBusPendingCallWatcher* finished) {
                         if (finished->isError())
                             openFolder();
                         finished->deleteLater();
                     });
}
