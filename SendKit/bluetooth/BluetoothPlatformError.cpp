#include "SendKit/bluetooth/BluetoothPlatformError.h"

#include "SendKit/StickLog.h"

#include <iterator>

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

QString BluetoothPlatformError::text() const {
    static const char* const kinds[] = {
        "connectionTimedOut",
        "connectionFailed",
        "unknownDevice",
        "peerRemovedPairing",
        "encryptionTimedOut",
        "insufficientAuthentication",
        "insufficientAuthorization",
        "insufficientEncryptionKeySize",
        "insufficientEncryption",
        "otherAttribute",
        "other",
    };
    static_assert(std::size(kinds) == std::size_t(Kind::Other) + 1);
    return QStringLiteral("BluetoothPlatformError.%1(%2)")
        .arg(QLatin1String(kinds[int(m_kind)]), StickLog::quoted(m_description));
}

QString BluetoothPlatformError::describe(const std::optional<BluetoothPlatformError>& error) {
    return error ? error->text() : QStringLiteral("none");
}
