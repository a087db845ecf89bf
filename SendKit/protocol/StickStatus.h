#pragma once

#include <QString>
#include <QtGlobal>

// The one-byte status of a stick reply; every byte is a valid status, some have names.
struct StickStatus {
    quint8 rawValue = 0;

    static constexpr quint8 ok = 0x00;
    static constexpr quint8 badRequest = 0x01;
    static constexpr quint8 unknownOpcode = 0x02;
    static constexpr quint8 unsupportedVersion = 0x03;
    static constexpr quint8 hostBusy = 0x04;
    static constexpr quint8 busy = 0x05;
    static constexpr quint8 tooLarge = 0x06;
    static constexpr quint8 badName = 0x07;
    static constexpr quint8 badExtension = 0x08;
    static constexpr quint8 nameExists = 0x09;
    static constexpr quint8 noSpace = 0x0A;
    static constexpr quint8 incomplete = 0x0B;
    static constexpr quint8 hashMismatch = 0x0C;
    static constexpr quint8 storageError = 0x0D;
    static constexpr quint8 noMedium = 0x0E;
    static constexpr quint8 notFound = 0x0F;
    static constexpr quint8 mtuTooSmall = 0x10;
    static constexpr quint8 timeout = 0x11;
    static constexpr quint8 noTransfer = 0x12;
    static constexpr quint8 internal = 0xFF;

    // The wire name ("OK", "NAME_EXISTS"), or "0x13" for a byte without a name.
    QString text() const;
    bool isOK() const { return rawValue == ok; }

    bool operator==(const StickStatus&) const = default;
};
