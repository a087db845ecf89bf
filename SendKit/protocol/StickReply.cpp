#include "SendKit/protocol/StickReply.h"

#include "SendKit/protocol/StickReader.h"
#include "SendKit/protocol/StickText.h"
#include "SendKit/protocol/StickWireError.h"
#include "SendKit/protocol/StickWriter.h"

namespace {

constexpr qsizetype digestLength = 32;

} // namespace

StickInfo StickReply::info(const QByteArray& payload) {
    StickReader reader(payload);
    StickInfo info;
    info.protocolMajor = reader.u8();
    info.protocolMinor = reader.u8();
    info.capabilities = reader.u32();
    const QString firmwareVersion = reader.str8();
    const QString deviceName = reader.str8();
    info.maxChunk = reader.u16();
    info.maxFileSize = reader.u32();
    info.window = reader.u32();
    info.usbState = StickUSBState::fromByte(reader.u8());
    info.activeVolume = reader.u8();
    const int volumeCount = reader.u8();
    for (int i = 0; i < volumeCount; ++i) {
        const quint8 kind = reader.u8();
        const quint8 flags = reader.u8();
        const quint64 totalBytes = reader.u64();
        const quint64 freeBytes = reader.u64();
        info.volumes.append(StickVolume::fromWire(kind, flags, totalBytes, freeBytes));
    }
    reader.requireEnd();
    info.firmwareVersion = StickText::clean(firmwareVersion, firmwareVersionLimit);
    info.deviceName = StickText::clean(deviceName, deviceNameLimit);
    return info;
}

StickReply::Begin StickReply::begin(const QByteArray& payload) {
    StickReader reader(payload);
    Begin begin;
    begin.transferID = reader.u8();
    begin.window = reader.u32();
    begin.maxChunk = reader.u16();
    reader.requireEnd();
    if (begin.transferID == 0)
        throw StickWireError(QStringLiteral("transfer id 0"));
    return begin;
}

StickReply::Commit StickReply::commit(const QByteArray& payload) {
    StickReader reader(payload);
    Commit commit;
    commit.storedSHA256 = reader.bytes(digestLength);
    commit.storedSize = reader.u32();
    commit.volume = reader.u8();
    commit.storedName = reader.str8();
    reader.requireEnd();
    return commit;
}

StickReply::ListPage StickReply::list(const QByteArray& payload) {
    struct RawEntry {
        quint32 size;
        quint32 mtime;
        QString name;
    };
    StickReader reader(payload);
    const int totalCount = reader.u16();
    const quint16 nextIndex = reader.u16();
    const int entryCount = reader.u8();
    QList<RawEntry> raw;
    raw.reserve(entryCount);
    for (int i = 0; i < entryCount; ++i) {
        const quint32 size = reader.u32();
        const quint32 mtime = reader.u32();
        raw.append({size, mtime, reader.str8()});
    }
    reader.requireEnd();

    ListPage page;
    page.totalCount = totalCount;
    if (nextIndex != noNextIndex)
        page.nextIndex = nextIndex;
    page.entries.reserve(entryCount);
    for (const RawEntry& entry : raw)
        page.entries.append(StickFileEntry(entry.name, entry.size, entry.mtime));
    return page;
}

StickReply::LastResult StickReply::lastResult(const QByteArray& payload) {
    StickReader reader(payload);
    LastResult result;
    const quint8 status = reader.u8();
    if (status != noLastResult)
        result.status = StickStatus{status};
    result.storedSHA256 = reader.bytes(digestLength);
    result.storedName = reader.str8();
    reader.requireEnd();
    return result;
}

QByteArray StickReply::payload(const StickInfo& info) {
    StickWriter writer;
    writer.u8(info.protocolMajor);
    writer.u8(info.protocolMinor);
    writer.u32(info.capabilities);
    writer.str8(info.firmwareVersion);
    writer.str8(info.deviceName);
    writer.u16(quint16(info.maxChunk));
    writer.u32(info.maxFileSize);
    writer.u32(quint32(info.window));
    writer.u8(info.usbState.byte());
    writer.u8(info.activeVolume);
    // The count is one byte; a longer list cannot be told and is cut.
    const qsizetype count = std::min<qsizetype>(info.volumes.size(), 255);
    writer.u8(quint8(count));
    for (qsizetype i = 0; i < count; ++i) {
        const StickVolume& volume = info.volumes[i];
        writer.u8(volume.kind.byte());
        writer.u8(volume.flags());
        writer.u64(volume.totalBytes);
        writer.u64(volume.freeBytes);
    }
    return writer.data();
}

QByteArray StickReply::payload(const Begin& begin) {
    StickWriter writer;
    writer.u8(begin.transferID);
    writer.u32(quint32(begin.window));
    writer.u16(quint16(begin.maxChunk));
    return writer.data();
}

QByteArray StickReply::payload(const Commit& commit) {
    StickWriter writer;
    writer.bytes(commit.storedSHA256);
    writer.u32(commit.storedSize);
    writer.u8(commit.volume);
    writer.str8(commit.storedName);
    return writer.data();
}

QByteArray StickReply::payload(const ListPage& page) {
    StickWriter writer;
    writer.u16(quint16(page.totalCount));
    writer.u16(page.nextIndex.value_or(noNextIndex));
    const qsizetype count = std::min<qsizetype>(page.entries.size(), 255);
    writer.u8(quint8(count));
    for (qsizetype i = 0; i < count; ++i) {
        const StickFileEntry& entry = page.entries[i];
        writer.u32(entry.size());
        writer.u32(entry.mtime());
        writer.str8(entry.name());
    }
    return writer.data();
}

QByteArray StickReply::payload(const LastResult& result) {
    StickWriter writer;
    writer.u8(result.status ? result.status->rawValue : noLastResult);
    writer.bytes(result.storedSHA256);
    writer.str8(result.storedName);
    return writer.data();
}

int StickReply::listEntrySize(const QString& name) {
    StickWriter writer;
    writer.str8(name);
    return 8 + int(writer.data().size());
}
