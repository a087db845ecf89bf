#include "SendKit/bluetooth/bluez/BlueZError.h"

#include <gtest/gtest.h>

namespace {

using Kind = BluetoothPlatformError::Kind;

TEST(BlueZErrorTest, BluetoothdRepliesMapOntoTheKindsTheLinkTellsApart) {
    // Names without a dot are org.bluez.Error's; bonded: the device was paired beforehand.
    const std::tuple<QString, QString, bool, Kind> rows[] = {
        {"AuthenticationFailed", "Authentication Failed", false, Kind::InsufficientAuthentication},
        {"AuthenticationFailed", "Authentication Failed", true, Kind::PeerRemovedPairing},
        {"AuthenticationTimeout", "Authentication Timeout", false, Kind::EncryptionTimedOut},
        {"ConnectionAttemptFailed", "Page Timeout", false, Kind::ConnectionFailed},
        {"NotPermitted", "Not paired", false, Kind::InsufficientAuthentication},
        {"NotPermitted", "Not paired", true, Kind::PeerRemovedPairing},
        {"NotPermitted", "Read not permitted", true, Kind::OtherAttribute},
        {"NotAuthorized", "Operation Not Authorized", false, Kind::InsufficientAuthorization},
        {"Failed", "Operation failed with ATT error: 0x0e", false, Kind::ConnectionFailed},
        {"Failed", "Operation failed with ATT error: 0x0c", false,
         Kind::InsufficientEncryptionKeySize},
        {"Failed", "Operation failed with ATT error: 0x80", false, Kind::OtherAttribute},
        {"Failed", "le-connection-abort-by-local", false, Kind::ConnectionFailed},
        {"Failed", "Connection timed out", false, Kind::ConnectionTimedOut},
        {"Failed", "Operation failed", false, Kind::Other},
        {"DoesNotExist", "Does Not Exist", false, Kind::UnknownDevice},
        {"org.freedesktop.DBus.Error.UnknownObject", "", false, Kind::UnknownDevice},
        {"org.freedesktop.DBus.Error.NoReply", "no answer", false, Kind::ConnectionTimedOut},
    };
    for (const auto& [name, message, bonded, kind] : rows) {
        const auto fullName = name.contains('.') ? name : "org.bluez.Error." + name;
        const auto error = blueZError(fullName, message, bonded);
        EXPECT_EQ(error.kind(), kind) << fullName.toStdString() << " " << message.toStdString();
        EXPECT_EQ(error.description(), message.isEmpty() ? fullName : message);
    }
}

} // namespace
