#pragma once

#include "SendKit/bluetooth/StickPeripheral.h"
#include "SendKit/files/StickDesign.h"
#include "SendKit/protocol/StickFileEntry.h"
#include "SendKit/protocol/StickInfo.h"
#include "SendKit/send/StickReceipt.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The tool's printed forms of what the stick reports: lines of text for people, JSON objects for
// scripts. Texts from the stick arrive cleaned, so they cannot break a line.
class StickReport {
public:
    // A table of the sticks a scan found, in its order: name, signal strength, identifier.
    static QStringList stickLines(const QList<StickPeripheral>& sticks);
    static QJsonObject sticksJson(const QList<StickPeripheral>& sticks);

    // One field a line, in the record's order, volumes indented under their count.
    static QStringList infoLines(const StickInfo& info);
    static QJsonObject infoJson(const StickInfo& info);

    // A table of the designs: name, the kinds of its files, total size, and the age of its newest
    // file relative to now (local time).
    static QStringList designLines(const QList<StickDesign>& designs, const QDateTime& now);
    static QJsonObject designsJson(const QList<StickDesign>& designs);

    // A table of the raw file list: name, size in bytes, the stick's wall-clock time stamp.
    static QStringList fileLines(const QList<StickFileEntry>& files);
    static QJsonObject filesJson(const QList<StickFileEntry>& files);

    // One line: every stored file with the first 4 bytes of its read-back digest, the stick, the
    // volume and the seconds.
    static QString receiptLine(const StickReceipt& receipt);
    static QJsonObject receiptJson(const StickReceipt& receipt);
};
