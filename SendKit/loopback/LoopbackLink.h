#pragma once

#include "SendKit/session/StickLink.h"

#include <QUuid>

#include <memory>

class LoopbackStick;

// The link from a session to a LoopbackStick in the same process: request and chunk frames go
// straight into the stick, whose answers are already on replies() when a write returns. Only
// LoopbackStick::connect makes one. Once the stick no longer holds this connection, writes throw
// transferInterrupted and replies() has ended; a link that goes away closes its connection.
class LoopbackLink : public StickLink {
public:
    ~LoopbackLink() override;
    LoopbackLink(const LoopbackLink&) = delete;
    LoopbackLink& operator=(const LoopbackLink&) = delete;

    // The connection identifier the stick handed out.
    QUuid id() const { return m_id; }
    const std::shared_ptr<LoopbackStick>& stick() const { return m_stick; }

    AsyncQueue<QByteArray> replies() override { return m_replies; }
    // The simulated MTU less the ATT header, read at the moment of the call.
    QCoro::Task<int> maxDataFrameLength() override;
    QCoro::Task<void> writeControl(QByteArray frame) override;
    // The stick takes a chunk at once, so there is no wait for the stop token to cut short.
    QCoro::Task<void> writeData(QByteArray frame, std::stop_token stop) override;
    QCoro::Task<void> close() override;

private:
    friend class LoopbackStick;
    LoopbackLink(QUuid id, std::shared_ptr<LoopbackStick> stick, AsyncQueue<QByteArray> replies);

    // Throws transferInterrupted when the stick has dropped or replaced this connection.
    void requireCurrent() const;

    QUuid m_id;
    std::shared_ptr<LoopbackStick> m_stick;
    AsyncQueue<QByteArray> m_replies;
};
