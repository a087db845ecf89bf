#pragma once

#include <QUrl>

// The maker's web pages the window and the Help menu open.
class MakerSite {
public:
    static QUrl home() { return QUrl(QStringLiteral("https://brindle.app")); }
    static QUrl firmwareHelp() { return QUrl(QStringLiteral("https://brindle.app/esp32")); }
};
