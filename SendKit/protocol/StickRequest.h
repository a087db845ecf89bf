#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The request frames the host writes (each builder returns the whole frame: opcode, seq, body)
// and the data chunk frame, together with the decoders the stick side reads them back with.
struct StickRequest {
    static QByteArray getInfo(quint8 seq);
    // sha256 must be 32 bytes.
    static QByteArray begin(quint8 seq, quint32 size, const QByteArray& sha256, quint32 mtime,
                            bool overwrite, const QString& name);
    static QByteArray commit(quint8 seq, quint8 transferID);
    static QByteArray abort(quint8 seq, quint8 transferID);
    static QByteArray list(quint8 seq, quint16 startIndex);
    static QByteArray deleteFile(quint8 seq, const QString& name);
    static QByteArray identify(quint8 seq, quint8 seconds);
    static QByteArray lastResult(quint8 seq);
    static QByteArray dataChunk(quint8 transferID, quint32 offset, const QByteArray& bytes);

    // A request frame split into its envelope; the body is decoded per opcode below.
    struct Frame {
        quint8 opcode = 0;
        quint8 seq = 0;
        QByteArray body;

        // Throws StickWireError for a frame shorter than its two header bytes.
        static Frame parse(const QByteArray& frame);
        bool operator==(const Frame&) const = default;
    };

    // GET_INFO body: the protocol version the host speaks.
    struct Version {
        quint8 major = 0;
        quint8 minor = 0;
        bool operator==(const Version&) const = default;
    };

    // BEGIN body.
    struct Begin {
        quint32 size = 0;
        QByteArray sha256;
        quint32 mtime = 0;
        bool overwrite = false;
        QString name;
        bool operator==(const Begin&) const = default;
    };

    struct DataChunk {
        quint8 transferID = 0;
        quint32 offset = 0;
        QByteArray bytes;

        // Throws StickWireError for a frame shorter than its header.
        static DataChunk parse(const QByteArray& frame);
        bool operator==(const DataChunk&) const = default;
    };

    // Each decoder reads the whole body or throws StickWireError.
    static Version decodeGetInfo(const QByteArray& body);
    static Begin decodeBegin(const QByteArray& body);
    // The body of COMMIT and of ABORT.
    static quint8 decodeTransferID(const QByteArray& body);
    static quint16 decodeList(const QByteArray& body);
    static QString decodeDelete(const QByteArray& body);
    static quint8 decodeIdentify(const QByteArray& body);
    static void decodeLastResult(const QByteArray& body);
};
