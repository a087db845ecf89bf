#include "SendKit/protocol/StickFrame.h"

#include "SendKit/protocol/StickReader.h"
#include "SendKit/protocol/StickWireError.h"
#include "SendKit/protocol/StickWriter.h"

namespace {

constexpr quint8 responseBit = 0x80;
constexpr quint8 lastResponse = 0xC0;
constexpr quint8 ackCode = 0xC1;
constexpr quint8 nackCode = 0xC2;
constexpr quint8 transferAbortedCode = 0xC3;
constexpr quint8 stateChangedCode = 0xC4;

StickEvent parseEvent(quint8 code, StickReader& reader) {
    switch (code) {
    case ackCode: {
        const quint8 transferID = reader.u8();
        const quint32 offset = reader.u32();
        reader.requireEnd();
        return {StickEvent::Ack{transferID, offset}};
    }
    case nackCode: {
        const quint8 transferID = reader.u8();
        const quint32 expectedOffset = reader.u32();
        reader.requireEnd();
        return {StickEvent::Nack{transferID, expectedOffset}};
    }
    case transferAbortedCode: {
        const quint8 transferID = reader.u8();
        const StickStatus status{reader.u8()};
        reader.requireEnd();
        return {StickEvent::TransferAborted{transferID, status}};
    }
    case stateChangedCode: {
        const StickUSBState usbState = StickUSBState::fromByte(reader.u8());
        const quint8 activeVolume = reader.u8();
        const quint8 sdFlags = reader.u8();
        reader.requireEnd();
        return {StickEvent::StateChanged{usbState, activeVolume, sdFlags}};
    }
    }
    // Codes this host does not know may carry anything after the header.
    return {StickEvent::Unknown{code}};
}

void writeEvent(const StickEvent& event, StickWriter& writer) {
    struct Visitor {
        StickWriter& writer;
        void header(quint8 code) const {
            writer.u8(code);
            writer.u8(0);
        }
        void operator()(const StickEvent::Ack& ack) const {
            header(ackCode);
            writer.u8(ack.transferID);
            writer.u32(ack.offset);
        }
        void operator()(const StickEvent::Nack& nack) const {
            header(nackCode);
            writer.u8(nack.transferID);
            writer.u32(nack.expectedOffset);
        }
        void operator()(const StickEvent::TransferAborted& aborted) const {
            header(transferAbortedCode);
            writer.u8(aborted.transferID);
            writer.u8(aborted.status.rawValue);
        }
        void operator()(const StickEvent::StateChanged& changed) const {
            header(stateChangedCode);
            writer.u8(changed.usbState.byte());
            writer.u8(changed.activeVolume);
            writer.u8(changed.sdFlags);
        }
        void operator()(const StickEvent::Unknown& unknown) const { header(unknown.code); }
    };
    std::visit(Visitor{writer}, event.value);
}

} // namespace

StickFrame StickFrame::parse(const QByteArray& bytes) {
    StickReader reader(bytes);
    const quint8 kind = reader.u8();
    // Read before the kind is judged, so that a one-byte frame always fails the same way.
    const quint8 seq = reader.u8();
    if (kind < responseBit)
        throw StickWireError(QString::asprintf("0x%02X is neither a response nor an event", kind));
    if (kind <= lastResponse) {
        const StickStatus status{reader.u8()};
        return {Response{quint8(kind - responseBit), seq, status, bytes.mid(reader.offset())}};
    }
    return {parseEvent(kind, reader)};
}

QByteArray StickFrame::encoded() const {
    StickWriter writer;
    if (const auto* response = std::get_if<Response>(&value)) {
        // An opcode byte is echoed as received, so a stray one above 0x40 lands where the
        // stick would put it too.
        writer.u8(responseBit | response->opcode);
        writer.u8(response->seq);
        writer.u8(response->status.rawValue);
        writer.bytes(response->payload);
    } else {
        writeEvent(std::get<StickEvent>(value), writer);
    }
    return writer.data();
}
