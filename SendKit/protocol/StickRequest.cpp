#include "SendKit/protocol/StickRequest.h"

#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickProtocol.h"
#include "SendKit/protocol/StickReader.h"
#include "SendKit/protocol/StickWireError.h"
#include "SendKit/protocol/StickWriter.h"

namespace {

constexpr qsizetype digestLength = 32;

StickWriter header(StickOpcode opcode, quint8 seq) {
    StickWriter writer;
    writer.u8(wireByte(opcode));
    writer.u8(seq);
    return writer;
}

// A body of one field: the field must be all there is.
template <class Read> auto wholeBody(const QByteArray& body, Read read) {
    StickReader reader(body);
    auto value = read(reader);
    reader.requireEnd();
    return value;
}

} // namespace

QByteArray StickRequest::getInfo(quint8 seq) {
    StickWriter writer = header(StickOpcode::getInfo, seq);
    writer.u8(StickProtocol::protocolMajor);
    writer.u8(StickProtocol::protocolMinor);
    return writer.data();
}

QByteArray StickRequest::begin(quint8 seq, quint32 size, const QByteArray& sha256, quint32 mtime,
                               bool overwrite, const QString& name) {
    StickWriter writer = header(StickOpcode::begin, seq);
    writer.u32(size);
    writer.bytes(sha256);
    writer.u32(mtime);
    writer.u8(overwrite ? 1 : 0);
    writer.str8(name);
    return writer.data();
}

QByteArray StickRequest::commit(quint8 seq, quint8 transferID) {
    StickWriter writer = header(StickOpcode::commit, seq);
    writer.u8(transferID);
    return writer.data();
}

QByteArray StickRequest::abort(quint8 seq, quint8 transferID) {
    StickWriter writer = header(StickOpcode::abort, seq);
    writer.u8(transferID);
    return writer.data();
}

QByteArray StickRequest::list(quint8 seq, quint16 startIndex) {
    StickWriter writer = header(StickOpcode::list, seq);
    writer.u16(startIndex);
    return writer.data();
}

QByteArray StickRequest::deleteFile(quint8 seq, const QString& name) {
    StickWriter writer = header(StickOpcode::deleteFile, seq);
    writer.str8(name);
    return writer.data();
}

QByteArray StickRequest::identify(quint8 seq, quint8 seconds) {
    StickWriter writer = header(StickOpcode::identify, seq);
    writer.u8(seconds);
    return writer.data();
}

QByteArray StickRequest::lastResult(quint8 seq) {
    return header(StickOpcode::lastResult, seq).data();
}

QByteArray StickRequest::dataChunk(quint8 transferID, quint32 offset, const QByteArray& bytes) {
    StickWriter writer;
    writer.u8(transferID);
    writer.u32(offset);
    writer.bytes(bytes);
    return writer.data();
}

StickRequest::Frame StickRequest::Frame::parse(const QByteArray& frame) {
    StickReader reader(frame);
    Frame parsed;
    parsed.opcode = reader.u8();
    parsed.seq = reader.u8();
    parsed.body = frame.mid(reader.offset());
    return parsed;
}

StickRequest::DataChunk StickRequest::DataChunk::parse(const QByteArray& frame) {
    StickReader reader(frame);
    DataChunk chunk;
    chunk.transferID = reader.u8();
    chunk.offset = reader.u32();
    chunk.bytes = frame.mid(reader.offset());
    return chunk;
}

StickRequest::Version StickRequest::decodeGetInfo(const QByteArray& body) {
    StickReader reader(body);
    Version version;
    version.major = reader.u8();
    version.minor = reader.u8();
    reader.requireEnd();
    return version;
}

StickRequest::Begin StickRequest::decodeBegin(const QByteArray& body) {
    StickReader reader(body);
    Begin begin;
    begin.size = reader.u32();
    begin.sha256 = reader.bytes(digestLength);
    begin.mtime = reader.u32();
    const quint8 overwrite = reader.u8();
    begin.name = reader.str8();
    reader.requireEnd();
    // The host writes a bool as 0 or 1; anything else is not a request it made.
    if (overwrite > 1)
        throw StickWireError(QStringLiteral("overwrite flag %1").arg(overwrite));
    begin.overwrite = overwrite == 1;
    return begin;
}

quint8 StickRequest::decodeTransferID(const QByteArray& body) {
    return wholeBody(body, [](StickReader& reader) { return reader.u8(); });
}

quint16 StickRequest::decodeList(const QByteArray& body) {
    return wholeBody(body, [](StickReader& reader) { return reader.u16(); });
}

QString StickRequest::decodeDelete(const QByteArray& body) {
    return wholeBody(body, [](StickReader& reader) { return reader.str8(); });
}

quint8 StickRequest::decodeIdentify(const QByteArray& body) {
    return wholeBody(body, [](StickReader& reader) { return reader.u8(); });
}

void StickRequest::decodeLastResult(const QByteArray& body) {
    StickReader(body).requireEnd();
}
