#pragma once

#include "SendKit/protocol/StickStatus.h"
#include "SendKit/protocol/StickUSBState.h"

#include <QString>
#include <QtGlobal>
#include <variant>

// An unsolicited message from the stick: transfer progress, a given-up transfer, a state change.
struct StickEvent {
    // The stick holds every byte of the transfer before offset.
    struct Ack {
        quint8 transferID = 0;
        quint32 offset = 0;
        bool operator==(const Ack&) const = default;
    };
    // The stick wants the stream to continue at expectedOffset.
    struct Nack {
        quint8 transferID = 0;
        quint32 expectedOffset = 0;
        bool operator==(const Nack&) const = default;
    };
    struct TransferAborted {
        quint8 transferID = 0;
        StickStatus status;
        bool operator==(const TransferAborted&) const = default;
    };
    // sdFlags is carried along without meaning for the host.
    struct StateChanged {
        StickUSBState usbState;
        quint8 activeVolume = 0;
        quint8 sdFlags = 0;
        bool operator==(const StateChanged&) const = default;
    };
    // An event code this host does not know.
    struct Unknown {
        quint8 code = 0;
        bool operator==(const Unknown&) const = default;
    };

    std::variant<Ack, Nack, TransferAborted, StateChanged, Unknown> value;

    // The form log lines use: "ack(transferID: 3, offset: 4096)".
    QString text() const;

    bool operator==(const StickEvent&) const = default;
};
