#include "SendKit/bluetooth/BluetoothManagerState.h"

QString bluetoothManagerStateName(BluetoothManagerState state) {
    switch (state) {
    case BluetoothManagerState::Resetting:
        return QStringLiteral("resetting");
    case BluetoothManagerState::Unsupported:
        return QStringLiteral("unsupported");
    case BluetoothManagerState::Unauthorized:
        return QStringLiteral("unauthorized");
    case BluetoothManagerState::PoweredOff:
        return QStringLiteral("poweredOff");
    case BluetoothManagerState::PoweredOn:
        return QStringLiteral("poweredOn");
    case BluetoothManagerState::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}
