#include "SendRig.h"

#include "SendKit/protocol/StickReply.h"

#include <QTimeZone>

void PrintTo(const StickError& error, std::ostream* out) {
    *out << error.what();
}

void PrintTo(const StickSendPhase& phase, std::ostream* out) {
    if (const auto* sending = std::get_if<StickSendPhase::Sending>(&phase.value))
        *out << "sending(" << sending->fraction << ", " << sending->file.toStdString() << ")";
    else if (const auto* verifying = std::get_if<StickSendPhase::Verifying>(&phase.value))
        *out << "verifying(" << verifying->file.toStdString() << ")";
    else
        *out << "checking";
}

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

StickFile stickFile(const QString& name, qsizetype size, int seed) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 251 + seed) & 0xFF);
    return StickFile(name, bytes);
}

const QDateTime SendRig::wallClock(QDate(2024, 5, 1), QTime(12, 0), QTimeZone(7200));

SendRig::SendRig() {
    sessions.append(open());
}

std::shared_ptr<StickSession> SendRig::open() {
    return std::make_shared<StickSession>(std::make_shared<TappedLink>(stick->connect(), tap),
                                          harness.clock());
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
    try {
        send(files, overwrite);
    } catch (const StickError& error) {
        return error;
    }
    return std::nullopt;
}

void SendRig::rewriteInfo(std::function<void(StickInfo&)> change) {
    tap->rewrite[StickOpcode::getInfo] = [change](StickFrame::Response& response) {
        StickInfo info = StickReply::info(response.payload);
        change(info);
        response.payload = StickReply::payload(info);
    };
}
