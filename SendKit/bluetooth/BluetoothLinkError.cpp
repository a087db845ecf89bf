#include "SendKit/bluetooth/BluetoothLinkError.h"

StickError linkError(const std::optional<BluetoothPlatformError>& error,
                     const StickError& fallback) {
    if (!error)
        return fallback;
    using Kind = BluetoothPlatformError::Kind;
    switch (error->kind()) {
    case Kind::ConnectionTimedOut:
    case Kind::ConnectionFailed:
    case Kind::UnknownDevice:
        return StickError::stickUnreachable();
    case Kind::PeerRemovedPairing:
        return StickError::pairingStale();
    case Kind::EncryptionTimedOut:
    case Kind::InsufficientAuthentication:
    case Kind::InsufficientAuthorization:
    case Kind::InsufficientEncryptionKeySize:
    case Kind::InsufficientEncryption:
        return StickError::pairingFailed();
    case Kind::OtherAttribute:
        return StickError::protocolError(error->description());
    case Kind::Other:
        break;
    }
    return fallback;
}
