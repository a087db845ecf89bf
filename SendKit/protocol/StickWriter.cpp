#include "SendKit/protocol/StickWriter.h"

#include <QTextBoundaryFinder>

namespace {

constexpr qsizetype str8Capacity = 255;

// The longest prefix of text that ends on a character boundary and fits str8.
QByteArray fittingUtf8(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= str8Capacity)
        return utf8;
    // Every UTF-16 unit takes at least one UTF-8 byte, so the prefix that fits is no longer
    // than the capacity in units; start there rather than at the end of a long text.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(std::min(text.size(), str8Capacity));
    if (!finder.isAtBoundary())
        finder.toPreviousBoundary();
    for (;;) {
        utf8 = text.left(finder.position()).toUtf8();
        if (utf8.size() <= str8Capacity)
            return utf8;
        finder.toPreviousBoundary();
    }
}

} // namespace

void StickWriter::littleEndian(quint64 value, int width) {
    for (int i = 0; i < width; ++i)
        m_data.append(char(quint8(value >> (8 * i))));
}

void StickWriter::u8(quint8 value) {
    littleEndian(value, 1);
}

void StickWriter::u16(quint16 value) {
    littleEndian(value, 2);
}

void StickWriter::u32(quint32 value) {
    littleEndian(value, 4);
}

void StickWriter::u64(quint64 value) {
    littleEndian(value, 8);
}

void StickWriter::bytes(const QByteArray& bytes) {
    m_data.append(bytes);
}

void StickWriter::str8(const QString& text) {
    const QByteArray utf8 = fittingUtf8(text);
    u8(quint8(utf8.size()));
    bytes(utf8);
}

const QByteArray& StickWriter::data() const {
    return m_data;
}
