#pragma once

#include "SendKit/async/Clock.h"
#include "SendKit/send/StickFile.h"
#include "SendKit/send/StickReceipt.h"
#include "SendKit/send/StickSendPhase.h"
#include "SendKit/session/StickSession.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QList>

#include <functional>
#include <memory>
#include <stop_token>

// The send flow: gets a list of prepared files onto the stick over one session, each one
// verified against the digest the stick reads back, and hands back a receipt. It holds nothing
// between calls; everything it needs comes in as arguments.
namespace StickSend {

// Connects to the same stick again and yields a fresh session over the new link; throws
// StickError.
using Reconnect = std::function<QCoro::Task<std::shared_ptr<StickSession>>()>;
// Receives each phase in order; called synchronously, so it must not suspend.
using PhaseHandler = std::function<void(const StickSendPhase&)>;
// The current wall-clock time in the time zone whose local time the stick's files carry.
using WallClock = std::function<QDateTime()>;

// Sends the files in order. Nothing is transferred unless every file passes the stick's limits
// and, without overwrite, no name is already on the stick. A link lost while the stick commits a
// file is survived once per file by reconnecting and asking for the stick's last result. The
// clock must be the one the session measures with. Throws StickError; files confirmed before a
// failure stay on the stick. A stop request cancels a running data stream.
QCoro::Task<StickReceipt> send(
    QList<StickFile> files, bool overwrite, std::shared_ptr<StickSession> session,
    Reconnect reconnect, PhaseHandler phase, Clock& clock, std::stop_token stop = {},
    WallClock wallClock = [] { return QDateTime::currentDateTime(); });

// The same files with every companion file first, each group in its given order, so that a
// design's colours and preview are on the stick before the machine can open its stitch file.
QList<StickFile> companionsFirst(const QList<StickFile>& files);

} // namespace StickSend
