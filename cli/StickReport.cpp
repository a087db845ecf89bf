#include "cli/StickReport.h"

#include "SendKit/files/StickFileName.h"
#include "app/core/StickAge.h"
#include "app/core/StickMessages.h"

#include <QJsonArray>
#include <QTimeZone>

#include <algorithm>
#include <set>

namespace {

QString yesNo(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex());
}

// Rows as columns padded to their widest cell, the columns given right-aligned, the last column
// never padded.
QStringList table(const QList<QStringList>& rows, const std::set<qsizetype>& rightAligned) {
    QList<qsizetype> widths;
    for (const QStringList& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    QStringList lines;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (qsizetype i = 0; i < row.size(); ++i) {
            const bool last = i + 1 == row.size();
            cells << (rightAligned.count(i) ? row[i].rightJustified(widths[i])
                      : last                ? row[i]
                                            : row[i].leftJustified(widths[i]));
        }
        lines << cells.join(QLatin1String("  "));
    }
    return lines;
}

// The stick's time stamps are local wall-clock seconds, so reading them as UTC gives the
// wall-clock time the stick meant.
QString wallClock(quint32 mtime) {
    if (mtime == 0)
        return QStringLiteral("-");
    return QDateTime::fromSecsSinceEpoch(mtime, QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QJsonObject entryJson(const StickFileEntry& entry) {
    return {{QStringLiteral("name"), entry.name()},
            {QStringLiteral("size"), qint64(entry.size())},
            {QStringLiteral("mtime"), qint64(entry.mtime())}};
}

QJsonArray entriesJson(const QList<StickFileEntry>& entries) {
    QJsonArray array;
    for (const StickFileEntry& entry : entries)
        array.append(entryJson(entry));
    return array;
}

} // namespace

QStringList StickReport::stickLines(const QList<StickPeripheral>& sticks) {
    QList<QStringList> rows{
        {QStringLiteral("NAME"), QStringLiteral("SIGNAL"), QStringLiteral("ID")}};
    for (const StickPeripheral& stick : sticks)
        rows << QStringList{stick.name,
                            stick.rssi == 0 ? QStringLiteral("connected")
                                            : QStringLiteral("%1 dBm").arg(stick.rssi),
                            stick.id.toString(QUuid::WithoutBraces)};
    return table(rows, {1});
}

QJsonObject StickReport::sticksJson(const QList<StickPeripheral>& sticks) {
    QJsonArray array;
    for (const StickPeripheral& stick : sticks)
        array.append(QJsonObject{{QStringLiteral("name"), stick.name},
                                 {QStringLiteral("rssi"), stick.rssi},
                                 {QStringLiteral("id"), stick.id.toString(QUuid::WithoutBraces)}});
    return {{QStringLiteral("sticks"), array}};
}

QStringList StickReport::infoLines(const StickInfo& info) {
    QStringList lines{
        QStringLiteral("protocolMajor: %1").arg(info.protocolMajor),
        QStringLiteral("protocolMinor: %1").arg(info.protocolMinor),
        QString::asprintf("capabilities: 0x%08X", info.capabilities),
        QStringLiteral("firmwareVersion: %1").arg(info.firmwareVersion),
        QStringLiteral("deviceName: %1").arg(info.deviceName),
        QStringLiteral("maxChunk: %1").arg(info.maxChunk),
        QStringLiteral("maxFileSize: %1").arg(info.maxFileSize),
        QStringLiteral("window: %1").arg(info.window),
        QStringLiteral("usbState: %1").arg(info.usbState.text()),
        QStringLiteral("activeVolume: %1").arg(info.activeVolume),
        QStringLiteral("volumes: %1").arg(info.volumes.size()),
    };
    for (const StickVolume& volume : info.volumes)
        lines << QStringLiteral("  kind: %1, isPresent: %2, isActive: %3, isUnsupported: %4, "
                                "totalBytes: %5, freeBytes: %6")
                     .arg(volume.kind.text(), yesNo(volume.isPresent), yesNo(volume.isActive),
                          yesNo(volume.isUnsupported))
                     .arg(volume.totalBytes)
                     .arg(volume.freeBytes);
    return lines;
}

QJsonObject StickReport::infoJson(const StickInfo& info) {
    QJsonArray volumes;
    for (const StickVolume& volume : info.volumes)
        volumes.append(QJsonObject{{QStringLiteral("kind"), volume.kind.text()},
                                   {QStringLiteral("isPresent"), volume.isPresent},
                                   {QStringLiteral("isActive"), volume.isActive},
                                   {QStringLiteral("isUnsupported"), volume.isUnsupported},
                                   {QStringLiteral("totalBytes"), qint64(volume.totalBytes)},
                                   {QStringLiteral("freeBytes"), qint64(volume.freeBytes)}});
    return {{QStringLiteral("protocolMajor"), info.protocolMajor},
            {QStringLiteral("protocolMinor"), info.protocolMinor},
            {QStringLiteral("capabilities"), qint64(info.capabilities)},
            {QStringLiteral("firmwareVersion"), info.firmwareVersion},
            {QStringLiteral("deviceName"), info.deviceName},
            {QStringLiteral("maxChunk"), info.maxChunk},
            {QStringLiteral("maxFileSize"), qint64(info.maxFileSize)},
            {QStringLiteral("window"), info.window},
            {QStringLiteral("usbState"), info.usbState.text()},
            {QStringLiteral("activeVolume"), info.activeVolume},
            {QStringLiteral("volumes"), volumes}};
}

QStringList StickReport::designLines(const QList<StickDesign>& designs, const QDateTime& now) {
    QList<QStringList> rows{{QStringLiteral("NAME"), QStringLiteral("FILES"),
                             QStringLiteral("SIZE"), QStringLiteral("CHANGED")}};
    for (const StickDesign& design : designs) {
        QStringList kinds;
        for (const StickFileEntry& file : design.files()) {
            const QString extension = StickFileName::extension(file.name());
            kinds << (extension.isEmpty() ? QStringLiteral("-") : extension.toUpper());
        }
        rows << QStringList{design.name, kinds.join(QLatin1Char(' ')),
                            StickMessages::byteCount(design.totalSize()),
                            StickAge::text(design.newest(), now).value_or(QStringLiteral("-"))};
    }
    return table(rows, {2});
}

QJsonObject StickReport::designsJson(const QList<StickDesign>& designs) {
    QJsonArray array;
    for (const StickDesign& design : designs)
        array.append(QJsonObject{{QStringLiteral("name"), design.name},
                                 {QStringLiteral("isOrphan"), design.isOrphan()},
                                 {QStringLiteral("totalSize"), qint64(design.totalSize())},
                                 {QStringLiteral("newest"), qint64(design.newest())},
                                 {QStringLiteral("files"), entriesJson(design.files())}});
    return {{QStringLiteral("designs"), array}};
}

QStringList StickReport::fileLines(const QList<StickFileEntry>& files) {
    QList<QStringList> rows{
        {QStringLiteral("NAME"), QStringLiteral("SIZE"), QStringLiteral("MODIFIED")}};
    for (const StickFileEntry& file : files)
        rows << QStringList{file.name(), QString::number(file.size()), wallClock(file.mtime())};
    return table(rows, {1});
}

QJsonObject StickReport::filesJson(const QList<StickFileEntry>& files) {
    return {{QStringLiteral("files"), entriesJson(files)}};
}

QString StickReport::receiptLine(const StickReceipt& receipt) {
    QStringList files;
    for (const StickReceipt::Stored& stored : receipt.files)
        files << stored.name + QLatin1Char(' ') + hex(stored.sha256.left(4));
    return QStringLiteral("verified on %1 (%2) in %3 s: %4")
        .arg(receipt.stickName, receipt.volume.text(), QString::number(receipt.seconds, 'f', 1),
             files.join(QLatin1String(", ")));
}

QJsonObject StickReport::receiptJson(const StickReceipt& receipt) {
    QJsonArray files;
    for (const StickReceipt::Stored& stored : receipt.files)
        files.append(QJsonObject{{QStringLiteral("name"), stored.name},
                                 {QStringLiteral("size"), qint64(stored.size)},
                                 {QStringLiteral("sha256"), hex(stored.sha256)}});
    return {{QStringLiteral("stickName"), receipt.stickName},
            {QStringLiteral("volume"), receipt.volume.text()},
            {QStringLiteral("seconds"), receipt.seconds},
            {QStringLiteral("mtime"), qint64(receipt.mtime)},
            {QStringLiteral("files"), files}};
}
