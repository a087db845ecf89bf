#include "SessionBench.h"

#include "SendKit/StickLog.h"
#include "SendKit/async/SystemClock.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickProtocol.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/session/StickSession.h"
#include "tests/support/TestLink.h"

#include <QtEndian>

#include <memory>

namespace {

using namespace std::chrono_literals;

constexpr int exchanges = 20000;
constexpr qint64 fileSize = 1536 * 1024;
constexpr qint64 ackInterval = 8 * 1024;
// The window a stick typically grants: two acknowledgement intervals.
constexpr qint64 window = 2 * ackInterval;
constexpr int repeats = 15;
constexpr quint8 transferID = 1;

double microseconds(std::chrono::nanoseconds time) {
    return std::chrono::duration<double, std::micro>(time).count();
}

double megabytesPerSecond(qint64 bytes, std::chrono::nanoseconds time) {
    return double(bytes) / 1e6 / std::chrono::duration<double>(time).count();
}

// A stick that answers at once and does as little as a stick can: every request gets an OK
// response with an empty payload, and data chunks are acknowledged every `ackInterval` bytes and
// at the end of the file. It measures the host, not the stick.
class InstantStick {
public:
    explicit InstantStick(Clock& clock)
        : link(std::make_shared<TestLink>(clock)) {
        link->keepsFrames = false;
        link->maxFrameLength = StickProtocol::chunkHeader + StickProtocol::maxChunkCap;
        link->answerControl = [](const QByteArray& frame) {
            const auto request = StickRequest::Frame::parse(frame);
            return QList<QByteArray>{
                StickFrame{StickFrame::Response{request.opcode, request.seq, {}, {}}}.encoded()};
        };
        link->answerData = [this](const QByteArray& frame) { return acknowledge(frame); };
    }

    // The next data chunks belong to a file of this many bytes, from offset 0.
    void expectFile(qint64 size) {
        m_fileSize = size;
        m_received = 0;
        m_acked = 0;
    }

    const std::shared_ptr<TestLink> link;

private:
    QList<QByteArray> acknowledge(const QByteArray& frame) {
        // The header is all a stick needs to read to acknowledge; the session writes it whole.
        const quint8 id = quint8(frame.at(0));
        if (qFromLittleEndian<quint32>(frame.constData() + 1) == m_received)
            m_received += frame.size() - StickProtocol::chunkHeader;
        if (m_received - m_acked < ackInterval &&
            (m_received != m_fileSize || m_acked >= m_fileSize))
            return {};
        m_acked = m_received;
        return {StickFrame{StickEvent{StickEvent::Ack{id, quint32(m_acked)}}}.encoded()};
    }

    qint64 m_fileSize = 0;
    qint64 m_received = 0;
    qint64 m_acked = 0;
};

QCoro::Task<void> exchangeMany(StickSession& session, int count) {
    for (int i = 0; i < count; ++i)
        co_await session.exchange(StickOpcode::lastResult, StickSession::requestTimeout,
                                  &StickRequest::lastResult);
}

// What streaming cannot do without: cutting the file into chunk frames.
qint64 copyChunks(const QByteArray& file) {
    qint64 checksum = 0;
    for (qint64 offset = 0; offset < file.size(); offset += StickProtocol::maxChunkCap) {
        const qint64 n = std::min<qint64>(StickProtocol::maxChunkCap, file.size() - offset);
        const QByteArray frame = StickRequest::dataChunk(
            transferID, quint32(offset), QByteArray::fromRawData(file.constData() + offset, n));
        checksum += frame.at(frame.size() - 1);
    }
    return checksum;
}

} // namespace

QList<Figure> measureSession() {
    SystemClock clock;
    InstantStick stick(clock);
    StickSession session(stick.link, clock);
    QList<Figure> figures;

    const auto exchangeTime = fastestOf(3, [&] { runOnLoop(exchangeMany(session, exchanges)); });
    figures << Figure{"exchange", microseconds(exchangeTime) / exchanges, "us"};

    // The application always logs to its journal; this is the cost with a sink that keeps nothing.
    StickLog::setSink([](const QString&) {});
    const auto loggedTime = fastestOf(3, [&] { runOnLoop(exchangeMany(session, exchanges)); });
    StickLog::setSink({});
    figures << Figure{"exchange-logged", microseconds(loggedTime) / exchanges, "us"};

    const QByteArray file(fileSize, 'x');
    const qint64 chunks = (fileSize + StickProtocol::maxChunkCap - 1) / StickProtocol::maxChunkCap;
    // Stream and baseline take turns, so that both see the same machine.
    auto streamTime = std::chrono::nanoseconds::max();
    auto copyTime = std::chrono::nanoseconds::max();
    volatile qint64 sink = 0;
    for (int i = 0; i < repeats; ++i) {
        streamTime = std::min(streamTime, fastestOf(1, [&] {
                                  stick.expectFile(fileSize);
                                  runOnLoop(session.sendData(transferID, file, window,
                                                             StickProtocol::maxChunkCap, {}));
                              }));
        copyTime = std::min(copyTime, fastestOf(1, [&] { sink = sink + copyChunks(file); }));
    }
    figures << Figure{"stream", megabytesPerSecond(fileSize, streamTime), "MB/s"};
    figures << Figure{"stream-per-chunk", microseconds(streamTime) / double(chunks), "us"};
    figures << Figure{"copy-baseline", megabytesPerSecond(fileSize, copyTime), "MB/s"};
    figures << Figure{"stream-vs-copy", double(streamTime.count()) / double(copyTime.count()), "x"};
    return figures;
}
