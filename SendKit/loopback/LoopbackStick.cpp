#include "SendKit/loopback/LoopbackStick.h"

#include "SendKit/StickError.h"
#include "SendKit/async/AsyncQueue.h"
#include "SendKit/files/StickFileName.h"
#include "SendKit/loopback/LoopbackLink.h"
#include "SendKit/protocol/StickEvent.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickInfo.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickProtocol.h"
#include "SendKit/protocol/StickReply.h"
#include "SendKit/protocol/StickStatus.h"
#include "SendKit/protocol/StickVolume.h"
#include "SendKit/protocol/StickWireError.h"

#include <QCryptographicHash>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The firmware keeps this much room free beyond the file itself for the file system's own needs.
constexpr quint64 spaceMargin = 32'768;
// The firmware acknowledges at least this often.
constexpr quint32 ackInterval = 8'192;
// LIST page header: total count u16, next index u16, entry count u8.
constexpr int listPageHeader = 5;
// Response header: opcode, seq, status.
constexpr int responseHeader = 3;
constexpr int maxListEntries = 255;
constexpr int minIdentifySeconds = 1;
constexpr int maxIdentifySeconds = 30;

QByteArray sha256(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

void invertByte(QByteArray& bytes, qsizetype index) {
    bytes[index] = char(~quint8(bytes[index]));
}

} // namespace

std::shared_ptr<LoopbackStick> LoopbackStick::create(const QString& deviceName) {
    return std::make_shared<LoopbackStick>(Passkey(), deviceName);
}

LoopbackStick::LoopbackStick(Passkey, const QString& deviceName)
    : m_deviceName(deviceName) {}

void LoopbackStick::setFaults(Faults faults) {
    m_faults = std::move(faults);
}

void LoopbackStick::setUSBState(StickUSBState state) {
    m_usbState = state;
}

void LoopbackStick::store(const QString& name, const QByteArray& data, quint32 mtime) {
    m_files[name] = StoredFile{data, mtime};
}

std::unique_ptr<LoopbackLink> LoopbackStick::connect() {
    AsyncQueue<QByteArray> replies(AsyncQueuePolicy::Unbounded);
    const QUuid id = connect([replies](std::optional<QByteArray> frame) mutable {
        if (frame)
            replies.push(std::move(*frame));
        else
            replies.finish();
    });
    return std::unique_ptr<LoopbackLink>(new LoopbackLink(id, shared_from_this(), replies));
}

QUuid LoopbackStick::connect(Outbox outbox) {
    if (m_connection)
        throw StickError::stickUnreachable();
    m_connection = QUuid::createUuid();
    m_outbox = std::move(outbox);
    return *m_connection;
}

void LoopbackStick::disconnect(const QUuid& connection) {
    if (!isCurrent(connection))
        return;
    m_connection.reset();
    m_transfer.reset();
    std::exchange(m_outbox, {})(std::nullopt);
}

bool LoopbackStick::isCurrent(const QUuid& connection) const {
    return m_connection == connection;
}

void LoopbackStick::receiveRequest(const QByteArray& frame) {
    if (frame.size() < 2)
        return;
    const StickRequest::Frame request = StickRequest::Frame::parse(frame);
    if (const std::optional<Answer> answer = handle(request)) {
        // Handlers give a payload only where the firmware writes one: with OK, and with
        // GET_INFO's version refusal.
        StickFrame::Response response{request.opcode, request.seq, StickStatus{answer->status},
                                      answer->payload};
        send(StickFrame{response}.encoded());
    }
}

std::optional<LoopbackStick::Answer> LoopbackStick::handle(const StickRequest::Frame& request) {
    if (m_faults.mtu < StickProtocol::minimumMTU)
        return Answer{StickStatus::mtuTooSmall, {}};
    const std::optional<StickOpcode> opcode = stickOpcode(request.opcode);
    if (!opcode)
        return Answer{StickStatus::unknownOpcode, {}};
    try {
        switch (*opcode) {
        case StickOpcode::getInfo:
            return getInfo(request.body);
        case StickOpcode::begin:
            return begin(request.body);
        case StickOpcode::commit:
            return commit(request.body);
        case StickOpcode::abort:
            return abort(request.body);
        case StickOpcode::list:
            return list(request.body);
        case StickOpcode::deleteFile:
            return deleteFile(request.body);
        case StickOpcode::identify:
            return identify(request.body);
        case StickOpcode::lastResult:
            return lastResult(request.body);
        }
    } catch (const StickWireError&) {
        // Every handler decodes its body before it changes anything.
    }
    return Answer{StickStatus::badRequest, {}};
}

LoopbackStick::Answer LoopbackStick::getInfo(const QByteArray& body) const {
    const StickRequest::Version host = StickRequest::decodeGetInfo(body);
    StickInfo info;
    info.protocolMajor = m_faults.protocolMajor;
    info.protocolMinor = 0;
    info.capabilities = 0;
    info.firmwareVersion = QString::fromLatin1(firmwareVersion);
    info.deviceName = m_deviceName;
    info.maxChunk = maxChunk();
    info.maxFileSize = psramStage;
    info.window = window;
    info.usbState = m_usbState;
    info.activeVolume = 0;
    info.volumes = {
        StickVolume::fromWire(0, StickVolume::presentFlag | StickVolume::activeFlag, capacity,
                              freeBytes()),
        StickVolume::fromWire(1, 0, 0, 0),
    };
    // A host of another major version still gets the information, so it can say which
    // firmware it met.
    const quint8 status =
        host.major == m_faults.protocolMajor ? StickStatus::ok : StickStatus::unsupportedVersion;
    return Answer{status, StickReply::payload(info)};
}

LoopbackStick::Answer LoopbackStick::begin(const QByteArray& body) {
    if (m_transfer)
        return Answer{StickStatus::busy, {}};
    const StickRequest::Begin request = StickRequest::decodeBegin(body);
    if (request.size == 0)
        return Answer{StickStatus::badRequest, {}};
    if (request.size > psramStage)
        return Answer{StickStatus::tooLarge, {}};
    if (const auto problem = StickFileName::problem(request.name)) {
        return Answer{*problem == StickFileName::Problem::badName ? StickStatus::badName
                                                                  : StickStatus::badExtension,
                      {}};
    }
    const auto existing = findIgnoringCase(request.name);
    if (existing != m_files.end() && !request.overwrite)
        return Answer{StickStatus::nameExists, {}};
    const quint64 replaced = existing != m_files.end() ? quint64(existing->second.data.size()) : 0;
    if (replaced + freeBytes() < quint64(request.size) + spaceMargin)
        return Answer{StickStatus::noSpace, {}};

    const quint8 id = m_nextID;
    m_nextID = m_nextID == 255 ? 1 : m_nextID + 1;
    m_transfer = Transfer{}; // not emplace(): clang before 17 rejects it for this nested type
    m_transfer->id = id;
    m_transfer->size = request.size;
    m_transfer->sha256 = request.sha256;
    m_transfer->mtime = request.mtime;
    m_transfer->overwrite = request.overwrite;
    m_transfer->name = request.name;
    m_transfer->maxChunk = maxChunk();
    return Answer{StickStatus::ok, StickReply::payload(StickReply::Begin{id, window, maxChunk()})};
}

void LoopbackStick::receiveChunk(const QByteArray& frame) {
    if (frame.size() < StickProtocol::chunkHeader + 1 || !m_transfer)
        return;
    ++m_chunksReceived;
    const StickRequest::DataChunk chunk = StickRequest::DataChunk::parse(frame);
    if (m_faults.dropChunksAt.erase(chunk.offset) > 0)
        return;
    Transfer& transfer = *m_transfer;
    const qint64 length = chunk.bytes.size();
    if (chunk.transferID != transfer.id || length > transfer.maxChunk)
        return;
    if (chunk.offset > transfer.size || length > qint64(transfer.size - chunk.offset)) {
        const quint8 id = transfer.id;
        m_transfer.reset();
        send(StickEvent{StickEvent::TransferAborted{id, StickStatus{StickStatus::badRequest}}});
        return;
    }
    const bool inOrder = chunk.offset == transfer.next;
    if (!inOrder || qint64(chunk.offset) + length > qint64(transfer.acked) + window) {
        // One NACK per gap: repeats stay unanswered until the stream is back in order.
        if (!transfer.nackPending) {
            transfer.nackPending = true;
            send(StickEvent{StickEvent::Nack{transfer.id, transfer.next}});
        }
        return;
    }

    QByteArray bytes = chunk.bytes;
    if (const auto corrupt = m_faults.corruptStagedByteAt;
        corrupt && *corrupt >= transfer.next && qint64(*corrupt) < transfer.next + length) {
        invertByte(bytes, *corrupt - transfer.next);
        m_faults.corruptStagedByteAt.reset();
    }
    transfer.staged.append(bytes);
    transfer.next += quint32(length);
    transfer.nackPending = false;
    if (transfer.next != transfer.acked &&
        (transfer.next == transfer.size || transfer.next - transfer.acked >= ackInterval)) {
        transfer.acked = transfer.next;
        send(StickEvent{StickEvent::Ack{transfer.id, transfer.acked}});
    }
}

std::optional<LoopbackStick::Answer> LoopbackStick::commit(const QByteArray& body) {
    const quint8 id = StickRequest::decodeTransferID(body);
    if (!m_transfer || m_transfer->id != id || m_transfer->next != m_transfer->size)
        return Answer{StickStatus::noTransfer, {}};
    if (sha256(m_transfer->staged) != m_transfer->sha256) {
        m_last = LastResult{StickStatus::hashMismatch, QByteArray(32, '\0'), m_transfer->name};
        m_transfer.reset();
        return Answer{StickStatus::hashMismatch, {}};
    }
    if (m_faults.hostBusyCommits > 0) {
        --m_faults.hostBusyCommits;
        return Answer{StickStatus::hostBusy, {}};
    }
    if (machineIsReading())
        return Answer{StickStatus::hostBusy, {}};
    if (findIgnoringCase(m_transfer->name) != m_files.end()) {
        if (!m_transfer->overwrite)
            return Answer{StickStatus::nameExists, {}};
        removeIgnoringCase(m_transfer->name);
    }

    Transfer transfer = *std::exchange(m_transfer, std::nullopt);
    if (m_faults.corruptReadback && !transfer.staged.isEmpty()) {
        m_faults.corruptReadback = false;
        invertByte(transfer.staged, 0);
    }
    const QByteArray readBack = sha256(transfer.staged);
    const auto storedSize = quint32(transfer.staged.size());
    m_files[transfer.name] = StoredFile{transfer.staged, transfer.mtime};
    m_commitLog.append(transfer.name);
    m_last = LastResult{StickStatus::ok, readBack, transfer.name};

    if (m_faults.dropLinkAfterCommit && m_connection) {
        m_faults.dropLinkAfterCommit = false;
        disconnect(*m_connection);
        return std::nullopt;
    }
    return Answer{StickStatus::ok,
                  StickReply::payload(StickReply::Commit{readBack, storedSize, 0, transfer.name})};
}

LoopbackStick::Answer LoopbackStick::abort(const QByteArray& body) {
    const quint8 id = StickRequest::decodeTransferID(body);
    if (!m_transfer || m_transfer->id != id)
        return Answer{StickStatus::noTransfer, {}};
    m_transfer.reset();
    return Answer{StickStatus::ok, {}};
}

LoopbackStick::Answer LoopbackStick::list(const QByteArray& body) const {
    const int start = StickRequest::decodeList(body);
    // Code point order, which is the order of the names' UTF-8 bytes.
    std::vector<std::pair<QByteArray, const std::pair<const QString, StoredFile>*>> sorted;
    sorted.reserve(m_files.size());
    for (const auto& entry : m_files)
        sorted.emplace_back(entry.first.toUtf8(), &entry);
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    const int count = int(sorted.size());
    if (start > count)
        return Answer{StickStatus::badRequest, {}};

    // One page is one notification.
    const int budget = maxDataFrameLength() - responseHeader - listPageHeader;
    StickReply::ListPage page;
    page.totalCount = std::min(count, int(StickReply::noNextIndex));
    int used = 0;
    int index = start;
    while (index < count && page.entries.size() < maxListEntries) {
        const auto& [name, file] = *sorted[std::size_t(index)].second;
        const int cost = StickReply::listEntrySize(name);
        if (used + cost > budget)
            break;
        used += cost;
        page.entries.append(StickFileEntry(name, quint32(file.data.size()), file.mtime));
        ++index;
    }
    if (index < count)
        page.nextIndex = quint16(index);
    return Answer{StickStatus::ok, StickReply::payload(page)};
}

LoopbackStick::Answer LoopbackStick::deleteFile(const QByteArray& body) {
    const QString name = StickRequest::decodeDelete(body);
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/') || name.contains(u'\\') ||
        name.contains(u':'))
        return Answer{StickStatus::badRequest, {}};
    if (m_transfer)
        return Answer{StickStatus::busy, {}};
    if (machineIsReading())
        return Answer{StickStatus::hostBusy, {}};
    if (findIgnoringCase(name) == m_files.end())
        return Answer{StickStatus::notFound, {}};
    removeIgnoringCase(name);
    return Answer{StickStatus::ok, {}};
}

LoopbackStick::Answer LoopbackStick::identify(const QByteArray& body) const {
    const int seconds = StickRequest::decodeIdentify(body);
    if (seconds < minIdentifySeconds || seconds > maxIdentifySeconds)
        return Answer{StickStatus::badRequest, {}};
    return Answer{StickStatus::ok, {}};
}

LoopbackStick::Answer LoopbackStick::lastResult(const QByteArray& body) const {
    StickRequest::decodeLastResult(body);
    StickReply::LastResult result;
    if (m_last.status != StickReply::noLastResult)
        result.status = StickStatus{m_last.status};
    result.storedSHA256 = m_last.sha;
    result.storedName = m_last.name;
    return Answer{StickStatus::ok, StickReply::payload(result)};
}

void LoopbackStick::send(const QByteArray& frame) {
    // With no connection open there is nobody to hear it.
    if (m_outbox)
        m_outbox(frame);
}

void LoopbackStick::send(const StickEvent& event) {
    send(StickFrame{event}.encoded());
}

bool LoopbackStick::machineIsReading() const {
    return std::holds_alternative<StickUSBState::HostActive>(m_usbState.value);
}

int LoopbackStick::maxChunk() const {
    return std::clamp(maxDataFrameLength() - StickProtocol::chunkHeader, 0,
                      StickProtocol::maxChunkCap);
}

quint64 LoopbackStick::usedBytes() const {
    quint64 used = 0;
    for (const auto& [name, file] : m_files)
        used += quint64(file.data.size());
    return used;
}

quint64 LoopbackStick::freeBytes() const {
    const quint64 used = usedBytes();
    return used < capacity ? capacity - used : 0;
}

std::map<QString, LoopbackStick::StoredFile>::const_iterator
LoopbackStick::findIgnoringCase(const QString& name) const {
    const QString lower = name.toLower();
    return std::find_if(m_files.begin(), m_files.end(),
                        [&lower](const auto& entry) { return entry.first.toLower() == lower; });
}

void LoopbackStick::removeIgnoringCase(const QString& name) {
    const QString lower = name.toLower();
    std::erase_if(m_files, [&lower](const auto& entry) { return entry.first.toLower() == lower; });
}
