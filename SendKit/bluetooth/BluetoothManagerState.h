#pragma once

#include <QString>

// The state of the computer's Bluetooth as the platform reports it. Unknown and Resetting are not
// settled: whoever waits for Bluetooth waits for the next state.
enum class BluetoothManagerState {
    Unknown,
    Resetting,
    Unsupported,
    Unauthorized,
    PoweredOff,
    PoweredOn,
};

// The state's name as the log writes it, such as "poweredOn".
QString bluetoothManagerStateName(BluetoothManagerState state);
