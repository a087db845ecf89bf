#pragma once

#include "SendKit/protocol/StickFileEntry.h"
#include "SendKit/protocol/StickInfo.h"
#include "SendKit/protocol/StickStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// The payloads of the stick's replies: decoders for the host, and the matching encoders the
// simulated stick answers with. Every decoder reads the whole payload or throws StickWireError.
struct StickReply {
    // BEGIN: the transfer the stick opened.
    struct Begin {
        quint8 transferID = 0; // never 0
        // Bytes the host may have in flight beyond the last acknowledged offset.
        qint64 window = 0;
        int maxChunk = 0;
        bool operator==(const Begin&) const = default;
    };

    // COMMIT: what the stick stored and read back.
    struct Commit {
        QByteArray storedSHA256; // 32 bytes
        quint32 storedSize = 0;
        quint8 volume = 0;  // volume kind byte: 0 internal, 1 SD card
        QString storedName; // as the stick sent it, not cleaned
        bool operator==(const Commit&) const = default;
    };

    // LIST: one page of the active volume's files.
    struct ListPage {
        int totalCount = 0;
        // The start index of the next page; none on the last page.
        std::optional<quint16> nextIndex;
        QList<StickFileEntry> entries;
        bool operator==(const ListPage&) const = default;
    };

    // LAST_RESULT: the outcome of the stick's last COMMIT.
    struct LastResult {
        std::optional<StickStatus> status; // none when the stick kept no result
        QByteArray storedSHA256;           // 32 bytes
        QString storedName;                // not cleaned
        bool operator==(const LastResult&) const = default;
    };

    static StickInfo info(const QByteArray& payload);
    static Begin begin(const QByteArray& payload);
    static Commit commit(const QByteArray& payload);
    static ListPage list(const QByteArray& payload);
    static LastResult lastResult(const QByteArray& payload);

    // The payloads as the stick writes them. Digests must be 32 bytes; texts are written as
    // given (str8 shortens them to 255 bytes).
    static QByteArray payload(const StickInfo& info);
    static QByteArray payload(const Begin& begin);
    static QByteArray payload(const Commit& commit);
    static QByteArray payload(const ListPage& page);
    static QByteArray payload(const LastResult& result);

    // Byte count of one LIST entry on the wire, for filling a page to a budget.
    static int listEntrySize(const QString& name);

    static constexpr quint16 noNextIndex = 0xFFFF;
    static constexpr quint8 noLastResult = 0xFF;
    static constexpr int firmwareVersionLimit = 32;
    static constexpr int deviceNameLimit = 48;
};
