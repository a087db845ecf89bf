#pragma once

#include <QDateTime>
#include <QString>
#include <QTextStream>

// What -v shows: the transport's log lines, each after a time stamp in the application journal's
// form, so that a terminal session reads like the journal.
class TransportLog {
public:
    TransportLog() = delete;

    // Points the transport's log at the stream until stop() is called.
    static void start(QTextStream& stream);
    static void stop();

    // ISO 8601 local time with milliseconds and the zone's offset, such as
    // 2026-12-05T12:33:58.123+0100, or ...Z at offset zero.
    static QString timeStamp(const QDateTime& moment);
};
