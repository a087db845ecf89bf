#pragma once

#include <QString>
#include <QtGlobal>
#include <variant>

// The stick's view of the embroidery machine's USB host, as one wire byte.
struct StickUSBState {
    struct NoHost {
        bool operator==(const NoHost&) const = default;
    };
    struct HostIdle {
        bool operator==(const HostIdle&) const = default;
    };
    // The machine is reading from the stick.
    struct HostActive {
        bool operator==(const HostActive&) const = default;
    };
    struct Swapping {
        bool operator==(const Swapping&) const = default;
    };
    struct Unknown {
        quint8 raw = 0;
        bool operator==(const Unknown&) const = default;
    };

    std::variant<NoHost, HostIdle, HostActive, Swapping, Unknown> value;

    static StickUSBState fromByte(quint8 byte);
    quint8 byte() const;
    // The case name ("hostActive"), or "unknown(9)".
    QString text() const;

    bool operator==(const StickUSBState&) const = default;
};
