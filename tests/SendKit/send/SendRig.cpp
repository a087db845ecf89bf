#include "SendRig.h"

#include "SendKit/loopback/LoopbackLink.h"
#include "SendKit/protocol/StickReply.h"

#include <QTimeZone>

void PrintTo(const StickSendPhase& phase, std::ostream* out) {
    if (const auto* sending = std::get_if<StickSendPhase::Sending>(&phase.value))
        *out << "sending(" << sending->fraction << ", " << sending->file.toStdString() << ")";
    else if (const auto* verifying = std::get_if<StickSendPhase::Verifying>(&phase.value))
        *out << "verifying(" << verifying->file.toStdString() << ")";
    else
        *out << "checking";
}

const QDateTime SendRig::wallClock(QDate(2024, 5, 1), QTime(12, 0), QTimeZone(7200));

SendRig::SendRig() {
    sessions.append(open());
}

std::shared_ptr<StickSession> SendRig::open() {
    auto link = std::make_shared<TestLink>(harness.clock(), stick->connect());
    link->loses = [this](const QByteArray& request) {
        return lost.contains(StickOpcode(StickRequest::Frame::parse(request).opcode));
    };
    link->rewrites = [this](QByteArray& bytes) { rewriteFrame(bytes); };
    m_links.append(link);
    return std::make_shared<StickSession>(link, harness.clock());
}

void SendRig::rewriteFrame(QByteArray& bytes) const {
    StickFrame frame = StickFrame::parse(bytes);
    if (auto* response = std::get_if<StickFrame::Response>(&frame.value)) {
        const auto change = rewrite.find(StickOpcode(response->opcode));
        if (change != rewrite.end()) {
            change->second(*response);
            bytes = frame.encoded();
        }
    }
}

QList<SendRig::Request> SendRig::requests() const {
    QList<Request> all;
    for (int link = 0; link < m_links.size(); ++link) {
        for (const QByteArray& frame : m_links[link]->controlFrames())
            all.append({link, StickRequest::Frame::parse(frame)});
    }
    return all;
}

QList<StickOpcode> SendRig::opcodes() const {
    QList<StickOpcode> result;
    for (const Request& request : requests())
        result.append(StickOpcode(request.frame.opcode));
    return result;
}

int SendRig::count(StickOpcode opcode) const {
    return int(opcodes().count(opcode));
}

QCoro::Task<std::shared_ptr<StickSession>> SendRig::reopen() {
    ++reconnects;
    if (reconnectFailure)
        throw *reconnectFailure;
    sessions.append(open());
    co_return sessions.last();
}

StickReceipt SendRig::send(const QList<StickFile>& files, bool overwrite) {
    return harness.run(StickSend::send(
        files, overwrite, sessions.first(), [this] { return reopen(); },
        [this](const StickSendPhase& phase) {
            phases.append(phase);
            if (onPhase)
                onPhase(phase);
        },
        harness.clock(), stop.get_token(), [] { return wallClock; }));
}

std::optional<StickError> SendRig::failure(const QList<StickFile>& files, bool overwrite) {
    return stickFailure([&] { send(files, overwrite); });
}

void SendRig::rewriteInfo(std::function<void(StickInfo&)> change) {
    rewrite[StickOpcode::getInfo] = [change](StickFrame::Response& response) {
        StickInfo info = StickReply::info(response.payload);
        change(info);
        response.payload = StickReply::payload(info);
    };
}
