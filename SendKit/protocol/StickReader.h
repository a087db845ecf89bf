#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Decodes the little-endian integers, raw byte runs and str8 texts of one frame, front to back.
// Every read either succeeds whole or throws StickWireError and leaves the offset unchanged.
class StickReader {
public:
    explicit StickReader(const QByteArray& bytes);

    quint8 u8();
    quint16 u16();
    quint32 u32();
    quint64 u64();
    QByteArray bytes(qsizetype n);
    QString str8();
    void requireEnd();

    bool isAtEnd() const;
    qsizetype offset() const;
    qsizetype size() const;

private:
    // Returns the offset of n bytes that are there to read and moves past them.
    qsizetype take(qsizetype n);
    quint64 littleEndian(int width);

    QByteArray m_bytes;
    qsizetype m_offset = 0;
};
