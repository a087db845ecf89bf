#include "SendKit/protocol/StickDiagnostics.h"

#include "SendKit/protocol/StickReader.h"

#include <QStringList>

namespace {

// Lengths of the groups as laid out after the layout version byte.
constexpr qsizetype baseLength = 9;
constexpr qsizetype transferLength = 22;
constexpr qsizetype restartLength = 6;
constexpr qsizetype panicReasonLength = 24;
constexpr qsizetype panicTaskLength = 16;
constexpr qsizetype panicFixedLength = 1 + panicReasonLength + panicTaskLength;
constexpr qsizetype maxProgramCounters = 8;
constexpr qsizetype usageLength = 11;

// Groups are read whole or not at all, so a record cut inside one never yields a half-filled
// group nor lets a later group read bytes that belong to the cut one.
bool holds(const StickReader& reader, qsizetype length) {
    return reader.size() - reader.offset() >= length;
}

QString textField(const QByteArray& field) {
    const qsizetype end = field.indexOf('\0');
    return QString::fromUtf8(end < 0 ? field : field.first(end));
}

// The crash texts come from the stick; a line break or other control character in them must
// not split the log line.
QString printable(QString text) {
    for (QChar& c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QString hex(quint32 value, int width) {
    return QStringLiteral("0x%1").arg(QString::number(value, 16).toUpper(), width,
                                      QLatin1Char('0'));
}

QString outcomeText(quint8 outcome) {
    switch (outcome) {
    case 0:
        return QStringLiteral("no pairing yet");
    case 1:
        return QStringLiteral("REFUSED (stick not in pairing mode)");
    case 2:
        return QStringLiteral("FAILED");
    case 3:
        return QStringLiteral("secured");
    default:
        return QStringLiteral("outcome ") + QString::number(outcome);
    }
}

// Reasons a Security Manager pairing ends with "pairing failed".
QString smpReason(quint8 code) {
    switch (code) {
    case 1:
        return QStringLiteral("passkey entry failed");
    case 2:
        return QStringLiteral("OOB not available");
    case 3:
        return QStringLiteral("authentication requirements");
    case 4:
        return QStringLiteral("confirm value failed — wrong passkey");
    case 5:
        return QStringLiteral("pairing not supported");
    case 6:
        return QStringLiteral("encryption key size");
    case 7:
        return QStringLiteral("command not supported");
    case 8:
        return QStringLiteral("unspecified reason");
    case 9:
        return QStringLiteral("repeated attempts");
    case 10:
        return QStringLiteral("invalid parameters");
    case 11:
        return QStringLiteral("DHKey check failed");
    case 12:
        return QStringLiteral("numeric comparison failed");
    case 13:
        return QStringLiteral("pairing already in progress");
    case 14:
        return QStringLiteral("cross-transport key derivation not allowed");
    case 15:
        return QStringLiteral("key rejected");
    default:
        return QStringLiteral("SMP reason ") + hex(code, 2);
    }
}

const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

} // namespace

std::optional<StickDiagnostics> StickDiagnostics::decode(const QByteArray& bytes) {
    StickReader reader(bytes);
    if (!holds(reader, 1))
        return std::nullopt;
    const quint8 version = reader.u8();
    if (version == 0 || !holds(reader, baseLength))
        return std::nullopt;

    StickDiagnostics record;
    record.outcome = reader.u8();
    record.status = reader.u32();
    record.attempts = reader.u16();
    record.bonded = reader.u8() != 0;
    record.pairingAllowed = reader.u8() != 0;

    if (version < 2 || !holds(reader, transferLength))
        return record;
    Transfer transfer;
    transfer.dataWrites = reader.u32();
    transfer.queueDrops = reader.u32();
    transfer.nacks = reader.u32();
    transfer.notifyFailures = reader.u32();
    transfer.acceptedBytes = reader.u32();
    transfer.mtu = reader.u16();
    record.transfer = transfer;

    if (version < 3 || !holds(reader, restartLength))
        return record;
    Restart restart;
    restart.reason = reader.u8();
    restart.step = reader.u8();
    restart.stackFreeBefore = reader.u16();
    restart.stackFreeNow = reader.u16();
    record.restart = restart;

    if (version < 4 || !holds(reader, panicFixedLength))
        return record;
    Panic panic;
    panic.core = reader.u8();
    const QByteArray reasonField = reader.bytes(panicReasonLength);
    panic.reason = textField(reasonField);
    panic.task = textField(reader.bytes(panicTaskLength));
    // A record cut inside the backtrace keeps the counters that fit whole.
    while (panic.pcs.size() < maxProgramCounters && holds(reader, 4))
        panic.pcs.append(reader.u32());
    while (!panic.pcs.isEmpty() && panic.pcs.last() == 0)
        panic.pcs.removeLast();
    if (!panic.pcs.isEmpty() || reasonField.at(0) != '\0')
        record.panic = panic;

    if (version < 5 || !holds(reader, usageLength))
        return record;
    Usage usage;
    usage.ioTotal = reader.u32();
    usage.ioLast60s = reader.u16();
    usage.longestGapMs = reader.u32();
    usage.internalAligned = reader.u8() != 0;
    record.usage = usage;
    return record;
}

QString StickDiagnostics::description() const {
    QString line = QStringLiteral("last pairing %1, status %2 (%3), ")
                       .arg(outcomeText(outcome), hex(status, 1), explain(status));
    line += QStringLiteral("%1 pairing(s) since boot, bonds stored: %2, pairing mode: %3")
                .arg(QString::number(attempts), QLatin1String(yesNo(bonded)),
                     pairingAllowed ? QStringLiteral("open") : QStringLiteral("closed"));
    if (transfer)
        line += QStringLiteral("; transfer: %1 data writes seen, %2 bytes accepted, %3 dropped "
                               "(queue full), %4 NACKs, %5 notifications given up, MTU %6")
                    .arg(QString::number(transfer->dataWrites),
                         QString::number(transfer->acceptedBytes),
                         QString::number(transfer->queueDrops), QString::number(transfer->nacks),
                         QString::number(transfer->notifyFailures), QString::number(transfer->mtu));
    if (restart)
        line += QStringLiteral("; last restart: %1 during %2, link stack free %3 B then, %4 B now")
                    .arg(resetReason(restart->reason), stepText(restart->step),
                         QString::number(restart->stackFreeBefore),
                         QString::number(restart->stackFreeNow));
    if (panic) {
        QStringList pcs;
        for (const quint32 pc : panic->pcs)
            pcs.append(hex(pc, 8));
        line += QStringLiteral("; crash: \"%1\" in task %2 on core %3, backtrace %4")
                    .arg(printable(panic->reason), printable(panic->task),
                         QString::number(panic->core), pcs.join(QLatin1Char(' ')));
    }
    if (usage)
        line +=
            QStringLiteral("; machine: %1 block I/Os since boot, %2 in the last minute, longest "
                           "pause %3 ms; internal volume %4")
                .arg(QString::number(usage->ioTotal), QString::number(usage->ioLast60s),
                     QString::number(usage->longestGapMs),
                     usage->internalAligned ? QStringLiteral("aligned")
                                            : QStringLiteral("UNALIGNED (slow)"));
    return line;
}

QString StickDiagnostics::explain(quint32 status) {
    if (status == 0)
        return QStringLiteral("ok");
    const quint8 code = status & 0xFF;
    switch (status & 0xF00) {
    case 0x100:
        return QStringLiteral("ATT error ") + hex(code, 2);
    case 0x200:
        return QStringLiteral("controller (HCI) error ") + hex(code, 2);
    case 0x300:
        return QStringLiteral("L2CAP error ") + hex(code, 2);
    case 0x400:
        return QStringLiteral("the stick ended pairing: ") + smpReason(code);
    case 0x500:
        return QStringLiteral("the iPad ended pairing: ") + smpReason(code);
    case 0x600:
        return QStringLiteral("hardware error ") + hex(code, 2);
    default:
        return QStringLiteral("NimBLE host code ") + QString::number(status);
    }
}

QString StickDiagnostics::resetReason(quint8 reason) {
    switch (reason) {
    case 0:
        return QStringLiteral("unknown");
    case 1:
        return QStringLiteral("power-on");
    case 2:
        return QStringLiteral("external pin");
    case 3:
        return QStringLiteral("software restart");
    case 4:
        return QStringLiteral("CRASH (panic)");
    case 5:
        return QStringLiteral("interrupt watchdog");
    case 6:
        return QStringLiteral("task watchdog");
    case 7:
        return QStringLiteral("other watchdog");
    case 8:
        return QStringLiteral("deep sleep");
    case 9:
        return QStringLiteral("BROWNOUT (power dip)");
    case 10:
        return QStringLiteral("SDIO");
    case 11:
        return QStringLiteral("USB peripheral");
    case 12:
        return QStringLiteral("JTAG");
    case 13:
        return QStringLiteral("eFuse error");
    case 14:
        return QStringLiteral("power glitch");
    case 15:
        return QStringLiteral("CPU lock-up");
    default:
        return QStringLiteral("reason ") + QString::number(reason);
    }
}

QString StickDiagnostics::stepText(quint8 step) {
    switch (step) {
    case 0:
        return QStringLiteral("idle");
    case 5:
        return QStringLiteral("receiving data");
    case 6:
        return QStringLiteral("all data in, waiting for COMMIT");
    case 7:
        return QStringLiteral("handling a request");
    case 8:
        return QStringLiteral("drawing the display");
    case 9:
        return QStringLiteral("checking the SD slot");
    case 10:
        return QStringLiteral("COMMIT: hash check");
    case 11:
        return QStringLiteral("COMMIT: waiting for the machine to go idle");
    case 12:
        return QStringLiteral("COMMIT: taking the drive from the machine");
    case 13:
        return QStringLiteral("COMMIT: mounting the drive");
    case 14:
        return QStringLiteral("COMMIT: creating the file");
    case 15:
        return QStringLiteral("COMMIT: writing the file");
    case 16:
        return QStringLiteral("COMMIT: closing the file");
    case 17:
        return QStringLiteral("COMMIT: renaming");
    case 18:
        return QStringLiteral("COMMIT: reading the file back");
    case 19:
        return QStringLiteral("COMMIT: refreshing the listing");
    case 20:
        return QStringLiteral("COMMIT: unmounting");
    case 21:
        return QStringLiteral("COMMIT: giving the drive back to the machine");
    case 22:
        return QStringLiteral("COMMIT: answering the app");
    case 30:
        return QStringLiteral("simulated unplug");
    case 31:
        return QStringLiteral("simulated replug");
    case 40:
        return QStringLiteral("DELETE");
    default:
        return QStringLiteral("step ") + QString::number(step);
    }
}
