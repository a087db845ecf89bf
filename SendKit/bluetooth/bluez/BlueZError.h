#pragma once

#include "SendKit/bluetooth/BluetoothPlatformError.h"

#include <QString>

// Maps an error reply of bluetoothd (its D-Bus error name and message) onto the platform error
// kinds the link tells apart. bonded says whether the device was paired when the operation began:
// then a refused authentication means the stick has forgotten its bond with this computer.
BluetoothPlatformError blueZError(const QString& name, const QString& message, bool bonded = false);
