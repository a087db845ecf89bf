#pragma once

#include <QString>
#include <QUrl>

// The desktop services the application calls: the Bluetooth settings, a web page, and showing a
// file in the file manager. Each goes through whatever the running desktop offers.
class Desktop {
public:
    // Opens the desktop's Bluetooth settings (GNOME Settings, KDE's Bluetooth module or blueman,
    // preferring the running desktop's own); false when none is installed or it cannot start.
    static bool openBluetoothSettings();
    // Opens the address in the user's preferred application.
    static void openUrl(const QUrl& url);
    // Asks the file manager to show the file selected; falls back to opening its folder when no
    // file manager answers on the session bus.
    static void revealFile(const QString& filePath);
};
