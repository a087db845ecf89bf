#pragma once

#include <QString>

#include <exception>
#include <optional>

// An error reported by the Bluetooth platform, reduced to the kinds the link tells apart and the
// platform's own description. Each platform maps its native errors onto these kinds in one place;
// the link maps the kinds onto StickError in one place (linkError).
class BluetoothPlatformError : public std::exception {
public:
    enum class Kind {
        // The connection could not be made or kept.
        ConnectionTimedOut,
        ConnectionFailed,
        UnknownDevice,
        // The stick has forgotten its bond with this computer.
        PeerRemovedPairing,
        EncryptionTimedOut,
        // Attribute errors that mean the link is not (sufficiently) paired.
        InsufficientAuthentication,
        InsufficientAuthorization,
        InsufficientEncryptionKeySize,
        InsufficientEncryption,
        // Any other attribute (ATT) error.
        OtherAttribute,
        // Anything else.
        Other,
    };

    BluetoothPlatformError(Kind kind, QString description);

    Kind kind() const noexcept { return m_kind; }
    const QString& description() const noexcept { return m_description; }
    // Whether the kind is an attribute (ATT) error.
    bool isAttributeError() const noexcept;

    // The log form: the type, the kind and the quoted description, such as
    // BluetoothPlatformError.connectionTimedOut("Connection timed out").
    QString text() const;
    // text(), or "none" for no error.
    static QString describe(const std::optional<BluetoothPlatformError>& error);

    const char* what() const noexcept override;

    bool operator==(const BluetoothPlatformError& other) const {
        return m_kind == other.m_kind && m_description == other.m_description;
    }

private:
    Kind m_kind;
    QString m_description;
    QByteArray m_what;
};
