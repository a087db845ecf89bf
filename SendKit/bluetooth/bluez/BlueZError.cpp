#include "SendKit/bluetooth/bluez/BlueZError.h"

#include <QRegularExpression>

namespace {

using Kind = BluetoothPlatformError::Kind;

// The kind of an ATT error code as bluetoothd quotes it ("Operation failed with ATT error: 0x0e").
Kind attributeKind(int code, bool bonded) {
    switch (code) {
    case 0x05:
        return bonded ? Kind::PeerRemovedPairing : Kind::InsufficientAuthentication;
    case 0x08:
        return Kind::InsufficientAuthorization;
    case 0x0c:
        return Kind::InsufficientEncryptionKeySize;
    case 0x0f:
        return bonded ? Kind::PeerRemovedPairing : Kind::InsufficientEncryption;
    case 0x0e:
        // "Unlikely error": what a request in flight gets when the link drops under it.
        return Kind::ConnectionFailed;
    default:
        return Kind::OtherAttribute;
    }
}

// Reasons bluetoothd gives in org.bluez.Error.Failed when a connection cannot be made or kept.
Kind failedKind(const QString& message) {
    static const QStringList timedOut{"timed out", "timeout", "page-timeout"};
    static const QStringList lost{"le-connection-abort", "connection abort", "not connected",
                                  "connection refused",  "host is down",     "connection reset",
                                  "br-connection",       "no route to host", "software caused"};
    const auto lower = message.toLower();
    for (const auto& word : timedOut)
        if (lower.contains(word))
            return Kind::ConnectionTimedOut;
    for (const auto& word : lost)
        if (lower.contains(word))
            return Kind::ConnectionFailed;
    return Kind::Other;
}

} // namespace

BluetoothPlatformError blueZError(const QString& name, const QString& message, bool bonded) {
    const auto description = message.isEmpty() ? name : message;
    static const QRegularExpression attCode("ATT error: 0x([0-9a-fA-F]{1,2})");
    if (const auto match = attCode.match(message); match.hasMatch())
        return {attributeKind(match.captured(1).toInt(nullptr, 16), bonded), description};

    const auto error = name.section('.', -1);
    const bool bluez = name.startsWith("org.bluez.Error.");
    if (bluez && error == "AuthenticationTimeout")
        return {Kind::EncryptionTimedOut, description};
    if (bluez && error.startsWith("Authentication"))
        return {bonded ? Kind::PeerRemovedPairing : Kind::InsufficientAuthentication, description};
    if (bluez && error == "NotPermitted")
        // bluetoothd says "Not paired" for insufficient authentication, encryption or key size.
        return {message == "Not paired" ? attributeKind(0x05, bonded) : Kind::OtherAttribute,
                description};
    if (bluez && error == "NotAuthorized")
        return {Kind::InsufficientAuthorization, description};
    if (bluez && error == "ConnectionAttemptFailed")
        return {Kind::ConnectionFailed, description};
    if (bluez && error == "DoesNotExist")
        return {Kind::UnknownDevice, description};
    if (bluez && error == "Failed")
        return {failedKind(message), description};
    if (name == "org.freedesktop.DBus.Error.UnknownObject")
        return {Kind::UnknownDevice, description};
    if (name == "org.freedesktop.DBus.Error.NoReply" ||
        name == "org.freedesktop.DBus.Error.Timeout")
        return {Kind::ConnectionTimedOut, description};
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        name == "org.freedesktop.DBus.Error.NameHasNoOwner" ||
        name == "org.freedesktop.DBus.Error.Disconnected")
        return {Kind::ConnectionFailed, description};
    // InProgress, NotReady, NotSupported, AccessDenied and the rest: the caller's fallback.
    return {Kind::Other, description};
}
