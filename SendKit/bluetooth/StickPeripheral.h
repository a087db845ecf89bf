#pragma once

#include <QString>
#include <QUuid>

// One stick found by scanning. rssi is 0 for a stick that was already connected to the system.
struct StickPeripheral {
    QUuid id;
    QString name;
    int rssi = 0;

    bool operator==(const StickPeripheral&) const = default;
};
