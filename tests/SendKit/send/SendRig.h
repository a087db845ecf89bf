#pragma once

#include "SendKit/StickError.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/send/StickSend.h"
#include "support/TestData.h"
#include "support/TestHarness.h"
#include "support/TestLink.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <stop_token>

void PrintTo(const StickSendPhase& phase, std::ostream* out);

// A file of pattern bytes.
inline StickFile stickFile(const QString& name, qsizetype size, int seed = 0) {
    return StickFile(name, patternBytes(size, seed));
}

// Sends through the real session over test links to one simulated stick, under the manual clock,
// with a wall clock that always reads the same instant. The links record the requests and play
// what the simulated stick does not offer itself: answers that say something else, and requests
// that get lost.
class SendRig {
public:
    // 12:00 on 1 May 2024 at UTC+2, and the local stamp the stick must get for it.
    static const QDateTime wallClock;
    static constexpr quint32 stamp = 1'714'564'800;
    static inline const QString stickName = QStringLiteral("Brindle 7F3A");

    SendRig();

    StickReceipt send(const QList<StickFile>& files, bool overwrite = false);
    // The error the send fails with; none when it succeeds.
    std::optional<StickError> failure(const QList<StickFile>& files, bool overwrite = false);

    // Rewrites every GET_INFO answer from now on.
    void rewriteInfo(std::function<void(StickInfo&)> change);

    TestHarness harness;
    std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(stickName);
    // A request written, with the number of its link (0 for the first one opened).
    struct Request {
        int link = 0;
        StickRequest::Frame frame;
    };
    // Every request written on any link, in order.
    QList<Request> requests() const;
    QList<StickOpcode> opcodes() const;
    int count(StickOpcode opcode) const;

    // The stick's responses to these requests pass through the function before the session sees
    // them.
    std::map<StickOpcode, std::function<void(StickFrame::Response&)>> rewrite;
    // These requests never reach the stick.
    std::set<StickOpcode> lost;
    // Every session opened, the first one and those of reconnects.
    QList<std::shared_ptr<StickSession>> sessions;
    QList<StickSendPhase> phases;
    // Called with every phase after it is recorded.
    StickSend::PhaseHandler onPhase;
    std::stop_source stop;
    int reconnects = 0;
    // Reconnecting fails with this error.
    std::optional<StickError> reconnectFailure;

private:
    std::shared_ptr<StickSession> open();
    void rewriteFrame(QByteArray& bytes) const;

    QList<std::shared_ptr<TestLink>> m_links;
    QCoro::Task<std::shared_ptr<StickSession>> reopen();
};
