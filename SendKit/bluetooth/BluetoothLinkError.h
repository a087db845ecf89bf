#pragma once

#include "SendKit/StickError.h"
#include "SendKit/bluetooth/BluetoothPlatformError.h"

#include <optional>

// What a platform error means to the link, decided in this one place: lost connections make the
// stick unreachable, a forgotten bond is stale pairing, encryption and the attribute errors of an
// unpaired link are failed pairing, any other attribute error is the stick misbehaving. No error,
// or an error of no known meaning, gives the fallback the calling operation names.
StickError linkError(const std::optional<BluetoothPlatformError>& error,
                     const StickError& fallback);
