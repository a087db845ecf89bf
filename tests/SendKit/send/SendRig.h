#pragma once

#include "TappedLink.h"

#include "SendKit/StickError.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/send/StickSend.h"
#include "support/TestHarness.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <ostream>
#include <stop_token>

// Readable failure messages for the types the send tests compare.
void PrintTo(const StickError& error, std::ostream* out);
void PrintTo(const StickSendPhase& phase, std::ostream* out);
void PrintTo(const QString& text, std::ostream* out);

// A file whose bytes differ from their neighbours, so that a misplaced chunk shows.
StickFile stickFile(const QString& name, qsizetype size, int seed = 0);

// Sends through the real session over tapped loopback links to one simulated stick, under the
// manual clock, with a wall clock that always reads the same instant.
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
    std::shared_ptr<LinkTap> tap = std::make_shared<LinkTap>();
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
    QCoro::Task<std::shared_ptr<StickSession>> reopen();
};
