#pragma once

#include "SendKit/protocol/StickEvent.h"
#include "SendKit/protocol/StickStatus.h"

#include <QByteArray>
#include <QtGlobal>
#include <variant>

// One frame the stick notifies on the reply characteristic: a response to a request or an event.
struct StickFrame {
    struct Response {
        quint8 opcode = 0; // the request's opcode, 0 to 0x40 on the wire
        quint8 seq = 0;
        StickStatus status;
        QByteArray payload;
        bool operator==(const Response&) const = default;
    };

    std::variant<Response, StickEvent> value;

    // Throws StickWireError for anything the stick cannot have sent.
    static StickFrame parse(const QByteArray& bytes);

    // The frame as the stick sends it; an event's second header byte is 0.
    QByteArray encoded() const;

    bool operator==(const StickFrame&) const = default;
};
