#include "SendKit/bluetooth/bluez/BlueZError.h"

#include <gtest/gtest.h>

namespace {

using Kind = BluetoothPlatformError::Kind;

TEST(BlueZErrorTest, BluetoothdRepliesMapOntoTheKindsTheLinkTellsApart) {
    struct Row {
        const char* name;
        const char* message;
        bool bonded;
        Kind kind;
    };
    const Row rows[] = {
        {"org.bluez.Error.AuthenticationFailed", "Authentication Failed", false,
         Kind::InsufficientAuthentication},
        {"org.bluez.Error.AuthenticationRejected", "Authentication Rejected", false,
         Kind::InsufficientAuthentication},
        {"org.bluez.Error.AuthenticationCanceled", "Authentication Canceled", false,
         Kind::InsufficientAuthentication},
        {"org.bluez.Error.AuthenticationFailed", "Authentication Failed", true,
         Kind::PeerRemovedPairing},
        {"org.bluez.Error.AuthenticationTimeout", "Authentication Timeout", false,
         Kind::EncryptionTimedOut},
        {"org.bluez.Error.ConnectionAttemptFailed", "Page Timeout", false, Kind::ConnectionFailed},
        {"org.bluez.Error.NotPermitted", "Not paired", false, Kind::InsufficientAuthentication},
        {"org.bluez.Error.NotPermitted", "Not paired", true, Kind::PeerRemovedPairing},
        {"org.bluez.Error.NotPermitted", "Read not permitted", true, Kind::OtherAttribute},
        {"org.bluez.Error.NotAuthorized", "Operation Not Authorized", false,
         Kind::InsufficientAuthorization},
        {"org.bluez.Error.Failed", "Operation failed with ATT error: 0x0e", false,
         Kind::ConnectionFailed},
        {"org.bluez.Error.Failed", "Operation failed with ATT error: 0x0c", false,
         Kind::InsufficientEncryptionKeySize},
        {"org.bluez.Error.Failed", "Operation failed with ATT error: 0x80", false,
         Kind::OtherAttribute},
        {"org.bluez.Error.Failed", "le-connection-abort-by-local", false, Kind::ConnectionFailed},
        {"org.bluez.Error.Failed", "Connection timed out", false, Kind::ConnectionTimedOut},
        {"org.bluez.Error.Failed", "Operation failed", false, Kind::Other},
        {"org.bluez.Error.InProgress", "In Progress", false, Kind::Other},
        {"org.bluez.Error.NotReady", "Resource Not Ready", false, Kind::Other},
        {"org.bluez.Error.DoesNotExist", "Does Not Exist", false, Kind::UnknownDevice},
        {"org.freedesktop.DBus.Error.UnknownObject", "", false, Kind::UnknownDevice},
        {"org.freedesktop.DBus.Error.NoReply", "no answer", false, Kind::ConnectionTimedOut},
        {"org.freedesktop.DBus.Error.ServiceUnknown", "", false, Kind::ConnectionFailed},
    };
    for (const auto& row : rows) {
        const auto error = blueZError(row.name, row.message, row.bonded);
        EXPECT_EQ(error.kind(), row.kind) << row.name << " " << row.message << " " << row.bonded;
        EXPECT_EQ(error.description(), QString(*row.message ? row.message : row.name));
    }
}

} // namespace
