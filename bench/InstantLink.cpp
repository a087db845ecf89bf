#include "InstantLink.h"

#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickProtocol.h"
#include "SendKit/protocol/StickRequest.h"

#include <QtEndian>

InstantLink::InstantLink(qint64 ackInterval)
    : m_ackInterval(ackInterval) {}

InstantLink::~InstantLink() {
    m_replies.finish();
}

void InstantLink::expectFile(qint64 size) {
    m_fileSize = size;
    m_received = 0;
    m_acked = 0;
}

AsyncQueue<QByteArray> InstantLink::replies() {
    return m_replies;
}

QCoro::Task<int> InstantLink::maxDataFrameLength() {
    co_return StickProtocol::chunkHeader + StickProtocol::maxChunkCap;
}

QCoro::Task<void> InstantLink::writeControl(QByteArray frame) {
    const auto request = StickRequest::Frame::parse(frame);
    m_replies.push(StickFrame{StickFrame::Response{request.opcode, request.seq, {}, {}}}.encoded());
    co_return;
}

QCoro::Task<void> InstantLink::writeData(QByteArray frame, std::stop_token) {
    // The header is all a stick needs to read to acknowledge; the session always writes it whole.
    const quint8 transferID = quint8(frame.at(0));
    if (qFromLittleEndian<quint32>(frame.constData() + 1) == m_received)
        m_received += frame.size() - StickProtocol::chunkHeader;
    if (m_received - m_acked >= m_ackInterval ||
        (m_received == m_fileSize && m_acked < m_fileSize)) {
        m_acked = m_received;
        m_replies.push(
            StickFrame{StickEvent{StickEvent::Ack{transferID, quint32(m_acked)}}}.encoded());
    }
    co_return;
}

QCoro::Task<void> InstantLink::close() {
    m_replies.finish();
    co_return;
}
