#include "SendKit/loopback/LoopbackLink.h"

#include "SendKit/StickError.h"
#include "SendKit/loopback/LoopbackStick.h"

LoopbackLink::LoopbackLink(QUuid id, std::shared_ptr<LoopbackStick> stick,
                           AsyncQueue<QByteArray> replies)
    : m_id(id)
    , m_stick(std::move(stick))
    , m_replies(std::move(replies)) {}

LoopbackLink::~LoopbackLink() {
    // Nobody can write on a link that is gone, so its connection must not keep the stick taken.
    m_stick->disconnect(m_id);
}

QCoro::Task<int> LoopbackLink::maxDataFrameLength() {
    co_return m_stick->maxDataFrameLength();
}

QCoro::Task<void> LoopbackLink::writeControl(QByteArray frame) {
    requireCurrent();
    m_stick->receiveRequest(frame);
    co_return;
}

QCoro::Task<void> LoopbackLink::writeData(QByteArray frame, std::stop_token) {
    requireCurrent();
    m_stick->receiveChunk(frame);
    co_return;
}

QCoro::Task<void> LoopbackLink::close() {
    m_stick->disconnect(m_id);
    co_return;
}

void LoopbackLink::requireCurrent() const {
    if (!m_stick->isCurrent(m_id))
        throw StickError::transferInterrupted();
}
