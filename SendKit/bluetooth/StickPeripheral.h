#pragma once

#include <QString>
#include <QUuid>

// One stick found by scanning. rssi is 0 for a stick that was already connected to the system.
struct StickPeripheral {
    QUuid id;
    QString name;
    int rssi = 0;

    // Any nearby device can advertise any name: a name is shown, logged and put to the person
    // only cleaned of controls and overrides, and no longer than a stick's own name may be.
    static QString shownName(const QString& advertised);

    bool operator==(const StickPeripheral&) const = default;
};
