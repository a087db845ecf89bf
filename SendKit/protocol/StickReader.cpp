#include "SendKit/protocol/StickReader.h"

#include "SendKit/protocol/StickWireError.h"

#include <QStringDecoder>
#include <limits>

StickReader::StickReader(const QByteArray& bytes)
    : m_bytes(bytes) {
    // Own the bytes outright so that a later change to the caller's buffer cannot reach us.
    m_bytes.detach();
}

qsizetype StickReader::take(qsizetype n) {
    const qsizetype length = m_bytes.size();
    if (n < 0 || n > length - m_offset) {
        // Saturate so that a huge count cannot overflow the number in the message.
        const qint64 needed = n > std::numeric_limits<qint64>::max() - m_offset
                                  ? std::numeric_limits<qint64>::max()
                                  : qint64(m_offset) + n;
        throw StickWireError(
            QStringLiteral("frame ends after %1 bytes, %2 needed").arg(length).arg(needed));
    }
    const qsizetype start = m_offset;
    m_offset += n;
    return start;
}

quint64 StickReader::littleEndian(int width) {
    const qsizetype start = take(width);
    quint64 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | quint8(m_bytes[start + i]);
    return value;
}

quint8 StickReader::u8() {
    return quint8(littleEndian(1));
}

quint16 StickReader::u16() {
    return quint16(littleEndian(2));
}

quint32 StickReader::u32() {
    return quint32(littleEndian(4));
}

quint64 StickReader::u64() {
    return littleEndian(8);
}

QByteArray StickReader::bytes(qsizetype n) {
    const qsizetype start = take(n);
    return m_bytes.mid(start, n);
}

QString StickReader::str8() {
    const qsizetype before = m_offset;
    try {
        const QByteArray utf8 = bytes(u8());
        // Stateless: a sequence cut off at the end is an error, not something to wait for.
        // ConvertInitialBom: a leading U+FEFF is part of the text and must not vanish.
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless |
                                   QStringConverter::Flag::ConvertInitialBom);
        QString text = decoder.decode(utf8);
        if (decoder.hasError())
            throw StickWireError(QStringLiteral("str8 is not UTF-8"));
        return text;
    } catch (const StickWireError&) {
        m_offset = before;
        throw;
    }
}

void StickReader::requireEnd() {
    const qsizetype left = m_bytes.size() - m_offset;
    if (left > 0)
        throw StickWireError(QStringLiteral("%1 trailing bytes").arg(left));
}

bool StickReader::isAtEnd() const {
    return m_offset == m_bytes.size();
}

qsizetype StickReader::offset() const {
    return m_offset;
}

qsizetype StickReader::size() const {
    return m_bytes.size();
}
