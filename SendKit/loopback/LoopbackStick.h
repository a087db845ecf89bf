#pragma once

#include "SendKit/protocol/StickRequest.h"
#include "SendKit/protocol/StickUSBState.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

class LoopbackLink;
struct StickEvent;

// A complete stick inside the process: it answers every request byte for byte as the firmware
// does, stages one transfer under a window, stores files in memory, and misbehaves on request in
// precise, one-shot ways. Sessions reach it through a LoopbackLink; tests, previews and the
// simulated radio drive it directly. Whatever bytes arrive, it answers with a status or an event
// and never throws. It has no clock: the only times it knows are the ones it is given.
class LoopbackStick : public std::enable_shared_from_this<LoopbackStick> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // Injected misbehaviour, read where the stick would meet it; the one-shot faults clear
    // themselves when they fire.
    struct Faults {
        // A chunk at one of these offsets is silently dropped, once per entry.
        std::set<quint32> dropChunksAt{};
        // While above 0, a COMMIT whose data and digest check out answers HOST_BUSY, once each.
        int hostBusyCommits = 0;
        // The byte at this file offset is inverted when a chunk brings it in, once.
        std::optional<quint32> corruptStagedByteAt{};
        // The next storing COMMIT stores the first byte inverted, so the read-back differs.
        bool corruptReadback = false;
        // The next storing COMMIT stores the file, then drops the connection instead of answering.
        bool dropLinkAfterCommit = false;
        // The simulated ATT MTU: sets the data frame limit, the chunk size and the LIST page.
        int mtu = 517;
        quint8 protocolMajor = 1;

        bool operator==(const Faults&) const = default;
    };

    struct StoredFile {
        QByteArray data;
        quint32 mtime = 0; // local wall-clock seconds since 1970, 0 for none
        bool operator==(const StoredFile&) const = default;
    };

    static constexpr quint64 capacity = 13'400'000;
    // The staging buffer: the largest file the stick accepts.
    static constexpr quint32 psramStage = 1'572'864;
    static constexpr quint32 window = 16'384;
    static constexpr char firmwareVersion[] = "1.0.0";
    // Bytes of ATT header in every write and notification, lost to the frame.
    static constexpr int attHeader = 3;

    static std::shared_ptr<LoopbackStick> create(const QString& deviceName);
    LoopbackStick(Passkey, const QString& deviceName);
    LoopbackStick(const LoopbackStick&) = delete;
    LoopbackStick& operator=(const LoopbackStick&) = delete;

    QString deviceName() const { return m_deviceName; }

    const Faults& faults() const { return m_faults; }
    void setFaults(Faults faults);

    // The largest data chunk frame one write carries at the simulated MTU.
    int maxDataFrameLength() const { return m_faults.mtu - attHeader; }

    StickUSBState usbState() const { return m_usbState; }
    // Sends no event: the stick learns of the machine's state silently.
    void setUSBState(StickUSBState state);

    // The stored files under their exact stored names.
    const std::map<QString, StoredFile>& files() const { return m_files; }
    // Puts a file on the stick as if the machine's owner had copied it there, replacing an
    // entry of exactly that name.
    void store(const QString& name, const QByteArray& data, quint32 mtime = 0);
    // The name of every successful COMMIT, in order.
    const QStringList& commitLog() const { return m_commitLog; }
    // Chunk frames that arrived while a transfer was open, dropped ones included.
    qint64 chunksReceived() const { return m_chunksReceived; }

    // Where the open connection's reply and event frames go, in order; none once it closes.
    using Outbox = std::function<void(std::optional<QByteArray> frame)>;

    // Opens the one connection; throws StickError::stickUnreachable while one is open.
    std::unique_ptr<LoopbackLink> connect();
    // The same for a transport that carries the frames itself (the simulated radio): returns the
    // connection's identifier. The outbox is called from inside the stick's operations.
    QUuid connect(Outbox outbox);
    // Closes the connection if it is the one open; the stored files and the last result stay.
    void disconnect(const QUuid& connection);
    bool isCurrent(const QUuid& connection) const;

    // One request frame and one data chunk frame from the host; the answers, if any, go out on
    // the open connection's replies before these return.
    void receiveRequest(const QByteArray& frame);
    void receiveChunk(const QByteArray& frame);

private:
    struct Transfer {
        quint8 id = 0;
        quint32 size = 0;
        QByteArray sha256;
        quint32 mtime = 0;
        bool overwrite = false;
        QString name;
        QByteArray staged;
        quint32 next = 0;
        quint32 acked = 0;
        bool nackPending = false;
        int maxChunk = 0;
    };

    struct LastResult {
        quint8 status = 0xFF; // none yet
        QByteArray sha = QByteArray(32, '\0');
        QString name;
    };

    // A reply's status and payload; the payload goes out only where the firmware writes one.
    struct Answer {
        quint8 status = 0;
        QByteArray payload;
    };

    std::optional<Answer> handle(const StickRequest::Frame& request);
    Answer getInfo(const QByteArray& body) const;
    Answer begin(const QByteArray& body);
    std::optional<Answer> commit(const QByteArray& body);
    Answer abort(const QByteArray& body);
    Answer list(const QByteArray& body) const;
    Answer deleteFile(const QByteArray& body);
    Answer identify(const QByteArray& body) const;
    Answer lastResult(const QByteArray& body) const;

    void send(const QByteArray& frame);
    void send(const StickEvent& event);

    // The largest chunk payload: a data frame less its chunk header, at most the protocol's cap.
    int maxChunk() const;
    bool machineIsReading() const;
    quint64 usedBytes() const;
    quint64 freeBytes() const;
    // The stored entry whose name equals the given one ignoring letter case, if any.
    std::map<QString, StoredFile>::const_iterator findIgnoringCase(const QString& name) const;
    void removeIgnoringCase(const QString& name);

    Faults m_faults;
    QString m_deviceName;
    StickUSBState m_usbState{StickUSBState::HostIdle{}};
    std::map<QString, StoredFile> m_files;
    QStringList m_commitLog;
    qint64 m_chunksReceived = 0;
    std::optional<Transfer> m_transfer;
    quint8 m_nextID = 1;
    LastResult m_last;
    std::optional<QUuid> m_connection;
    Outbox m_outbox;
};
