#include "SendKit/bluetooth/BluetoothPlatformError.h"

BluetoothPlatformError::BluetoothPlatformError(Kind kind, QString description)
    : m_kind(kind)
    , m_description(std::move(description))
    , m_what(m_description.toUtf8()) {}

bool BluetoothPlatformError::isAttributeError() const noexcept {
    switch (m_kind) {
    case Kind::InsufficientAuthentication:
    case Kind::InsufficientAuthorization:
    case Kind::InsufficientEncryptionKeySize:
    case Kind::InsufficientEncryption:
    case Kind::OtherAttribute:
        return true;
    default:
        return false;
    }
}

const char* BluetoothPlatformError::what() const noexcept {
    return m_what.constData();
}
