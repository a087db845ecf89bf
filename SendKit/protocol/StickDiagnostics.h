#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The record the stick offers on its Diagnostics characteristic: the state of Bluetooth pairing,
// data link counters, the cause of the last restart, the last crash and storage activity. The
// record grew over firmware versions, so every group after the pairing fields is optional.
struct StickDiagnostics {
    struct Transfer {
        quint32 dataWrites = 0;
        quint32 queueDrops = 0;
        quint32 nacks = 0;
        quint32 notifyFailures = 0;
        quint32 acceptedBytes = 0;
        quint16 mtu = 0;
        bool operator==(const Transfer&) const = default;
    };

    struct Restart {
        quint8 reason = 0;
        quint8 step = 0;
        quint16 stackFreeBefore = 0;
        quint16 stackFreeNow = 0;
        bool operator==(const Restart&) const = default;
    };

    struct Panic {
        quint8 core = 0;
        QString reason;
        QString task;
        QList<quint32> pcs; // the backtrace, at most 8, without trailing zero entries
        bool operator==(const Panic&) const = default;
    };

    struct Usage {
        quint32 ioTotal = 0;
        quint16 ioLast60s = 0;
        quint32 longestGapMs = 0;
        bool internalAligned = false;
        bool operator==(const Usage&) const = default;
    };

    quint8 outcome = 0;
    quint32 status = 0;
    quint16 attempts = 0;
    bool bonded = false;
    bool pairingAllowed = false;
    std::optional<Transfer> transfer;
    std::optional<Restart> restart;
    std::optional<Panic> panic;
    std::optional<Usage> usage;

    // Never throws: bytes that hold no record give none, and a record cut short keeps the groups
    // that precede the cut.
    static std::optional<StickDiagnostics> decode(const QByteArray& bytes);

    // The whole record on one line, for the log.
    QString description() const;

    // Texts for the codes of the record; unknown codes get a numbered fallback.
    static QString explain(quint32 status);
    static QString resetReason(quint8 reason);
    static QString stepText(quint8 step);

    bool operator==(const StickDiagnostics&) const = default;
};
