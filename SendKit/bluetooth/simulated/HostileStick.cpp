#include "SendKit/bluetooth/simulated/HostileStick.h"

#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickWireError.h"

#include <optional>

QString HostileStick::name() {
    QByteArray name = "Brindle";
    while (name.size() < 248)
        name += QByteArray("\xe2\x80\xae\t\n\x1b[2J\x01x").left(248 - name.size());
    return QString::fromUtf8(name);
}

void HostileStick::chunkReceived() {
    if (m_hostility == Hostility::FallsSilent)
        m_silent = true;
}

QList<QByteArray> HostileStick::notifications(const QByteArray& frame) {
    if (m_silent)
        return {};
    if (m_hostility == Hostility::None)
        return {frame};
    std::optional<StickFrame> parsed;
    try {
        parsed = StickFrame::parse(frame);
    } catch (const StickWireError&) {
        // A frame of the stick that does not parse goes out as it is, alone.
        return {frame};
    }
    const auto* response = std::get_if<StickFrame::Response>(&parsed->value);
    const auto* event = std::get_if<StickEvent>(&parsed->value);
    const auto* ack = event ? std::get_if<StickEvent::Ack>(&event->value) : nullptr;
    const auto encoded = [](auto value) { return StickFrame{value}.encoded(); };
    switch (m_hostility) {
    case Hostility::None:
    case Hostility::FallsSilent:
        break;
    case Hostility::Flood:
        if (ack && !std::exchange(m_flooded, true))
            return flood(ack->transferID) << frame;
        break;
    case Hostility::OversizedFrames:
        return {frame + QByteArray(longestValue + 1 - frame.size(), '\0'), frame};
    case Hostility::UndersizedFrames:
        return {QByteArray(), frame.left(1), frame.left(2), frame};
    case Hostility::StrayReplies:
        if (response) {
            StickFrame::Response otherOpcode = *response;
            otherOpcode.opcode ^= 0x01;
            StickFrame::Response oldSeq = *response;
            oldSeq.seq = response->seq == 1 ? 255 : response->seq - 1;
            return {encoded(otherOpcode), encoded(oldSeq), frame, frame};
        }
        if (ack) {
            const quint8 other = ack->transferID + 1;
            return {encoded(StickEvent{StickEvent::Ack{other, 0xFFFF'FFFF}}),
                    encoded(StickEvent{StickEvent::Nack{other, 0}}),
                    encoded(StickEvent{
                        StickEvent::TransferAborted{other, StickStatus{StickStatus::internal}}}),
                    frame};
        }
        break;
    }
    return {frame};
}

QList<QByteArray> HostileStick::flood(quint8 transferID) const {
    QList<QByteArray> frames;
    frames.reserve(floodFrames + 1);
    for (int i = 0; i < floodFrames; ++i) {
        switch (i % 5) {
        case 0: {
            // No frame begins with this byte.
            QByteArray junk(1 + i % 32, '\x7f');
            for (qsizetype b = 1; b < junk.size(); ++b)
                junk[b] = char(i * 31 + b * 7);
            frames.append(junk);
            break;
        }
        case 1:
            frames.append(
                StickFrame{StickEvent{StickEvent::Unknown{quint8(0xE0 + i % 16)}}}.encoded());
            break;
        case 2:
            frames.append(
                StickFrame{StickFrame::Response{quint8(i % 0x40), 0, StickStatus{}, {}}}.encoded());
            break;
        case 3:
            frames.append(
                StickFrame{StickEvent{StickEvent::Ack{quint8(transferID + 1), quint32(i)}}}
                    .encoded());
            break;
        default:
            frames.append(StickFrame{StickEvent{StickEvent::Ack{transferID, 0}}}.encoded());
        }
    }
    return frames;
}
