#pragma once

#include <QString>
#include <QtGlobal>
#include <variant>

// One storage volume of the stick, as GET_INFO reports it.
struct StickVolume {
    struct Kind {
        struct Internal {
            bool operator==(const Internal&) const = default;
        };
        struct SDCard {
            bool operator==(const SDCard&) const = default;
        };
        struct Other {
            quint8 raw = 0;
            bool operator==(const Other&) const = default;
        };

        std::variant<Internal, SDCard, Other> value;

        static Kind fromByte(quint8 byte);
        quint8 byte() const;
        // "internal", "sdCard" or "other(7)".
        QString text() const;

        bool operator==(const Kind&) const = default;
    };

    Kind kind;
    bool isPresent = false;
    // The volume the embroidery machine sees and files go to.
    bool isActive = false;
    // The medium is present but cannot be used.
    bool isUnsupported = false;
    quint64 totalBytes = 0;
    quint64 freeBytes = 0;

    static constexpr quint8 presentFlag = 0x01;
    static constexpr quint8 activeFlag = 0x02;
    static constexpr quint8 unsupportedFlag = 0x04;

    // Unknown flag bits are ignored.
    static StickVolume fromWire(quint8 kindByte, quint8 flags, quint64 totalBytes,
                                quint64 freeBytes);
    quint8 flags() const;

    bool operator==(const StickVolume&) const = default;
};
