#include "SessionFixture.h"

#include "SendKit/StickLog.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickReply.h"

namespace stick {

QByteArray responseTo(const QByteArray& request, quint8 status, const QByteArray& payload) {
    const auto frame = StickRequest::Frame::parse(request);
    return response(frame.opcode, frame.seq, status, payload);
}

QByteArray response(quint8 opcode, quint8 seq, quint8 status, const QByteArray& payload) {
    return StickFrame{StickFrame::Response{opcode, seq, StickStatus{status}, payload}}.encoded();
}

QByteArray event(const StickEvent& event) {
    return StickFrame{event}.encoded();
}

QByteArray ack(quint8 transferID, quint32 offset) {
    return event({StickEvent::Ack{transferID, offset}});
}

QByteArray nack(quint8 transferID, quint32 expectedOffset) {
    return event({StickEvent::Nack{transferID, expectedOffset}});
}

QByteArray aborted(quint8 transferID, quint8 status) {
    return event({StickEvent::TransferAborted{transferID, StickStatus{status}}});
}

QByteArray stateChanged(quint8 usbState, quint8 activeVolume, quint8 sdFlags) {
    return event(
        {StickEvent::StateChanged{StickUSBState::fromByte(usbState), activeVolume, sdFlags}});
}

StickInfo info() {
    StickInfo info;
    info.protocolMajor = 1;
    info.protocolMinor = 0;
    info.firmwareVersion = QStringLiteral("1.0.10");
    info.deviceName = QStringLiteral("Brindle 4F2A");
    info.maxChunk = 500;
    info.maxFileSize = 8 * 1024 * 1024;
    info.window = 16384;
    info.usbState = StickUSBState::fromByte(1);
    info.activeVolume = 0;
    info.volumes = {StickVolume::fromWire(0, StickVolume::presentFlag | StickVolume::activeFlag,
                                          32'000'000, 30'000'000)};
    return info;
}

} // namespace stick

SessionFixture::SessionFixture()
    : link(std::make_shared<TestLink>(harness.clock()))
    , session(std::make_unique<StickSession>(link, harness.clock())) {
    StickLog::setSink([this](const QString& line) { log << line; });
}

SessionFixture::~SessionFixture() {
    StickLog::setSink({});
    session.reset();
    link->end();
    harness.settle();
}

void SessionFixture::answerEveryRequest(quint8 status, const QByteArray& payload) {
    link->answerControl = [status, payload](const QByteArray& request) {
        return QList<QByteArray>{stick::responseTo(request, status, payload)};
    };
}

QList<StickRequest::Frame> SessionFixture::requests() const {
    QList<StickRequest::Frame> frames;
    for (const QByteArray& frame : link->controlFrames())
        frames << StickRequest::Frame::parse(frame);
    return frames;
}
