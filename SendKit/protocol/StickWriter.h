#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Builds one frame from little-endian integers, raw byte runs and str8 texts; cannot fail.
class StickWriter {
public:
    void u8(quint8 value);
    void u16(quint16 value);
    void u32(quint32 value);
    void u64(quint64 value);
    void bytes(const QByteArray& bytes);
    // Texts longer than 255 UTF-8 bytes lose whole characters from their end until they fit.
    void str8(const QString& text);

    const QByteArray& data() const;

private:
    void littleEndian(quint64 value, int width);

    QByteArray m_data;
};
