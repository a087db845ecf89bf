#pragma once

#include "SendKit/session/StickLink.h"

// A link to a stick that answers at once and does as little as a stick can: every request gets
// an OK response with an empty payload, and data chunks are acknowledged every `ackInterval`
// bytes and at the end of the file. It measures the host, not the stick.
class InstantLink : public StickLink {
public:
    explicit InstantLink(qint64 ackInterval);
    ~InstantLink() override;

    // The next data chunks belong to a file of this many bytes, from offset 0.
    void expectFile(qint64 size);

    AsyncQueue<QByteArray> replies() override;
    QCoro::Task<int> maxDataFrameLength() override;
    QCoro::Task<void> writeControl(QByteArray frame) override;
    QCoro::Task<void> writeData(QByteArray frame, std::stop_token stop) override;
    QCoro::Task<void> close() override;

private:
    const qint64 m_ackInterval;
    AsyncQueue<QByteArray> m_replies;
    qint64 m_fileSize = 0;
    qint64 m_received = 0;
    qint64 m_acked = 0;
};
