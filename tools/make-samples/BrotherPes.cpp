#include "BrotherPes.h"

#include <QtEndian>

#include <stdexcept>

namespace {

constexpr int pecOffset = 12;
constexpr int pecBlockLength = 512;
constexpr int pecFiguresLength = 20;
constexpr int shortMove = 63;
constexpr quint8 longMove = 0x80;
constexpr quint8 jumpFlag = 0x10;
constexpr int thumbnailStride = 6; // 48 pixels of one bit
constexpr int thumbnailHeight = 38;

void appendMove(QByteArray& bytes, int value, bool jump) {
    if (!jump && value >= -shortMove - 1 && value <= shortMove) {
        bytes += char(value & 0x7F);
        return;
    }
    const int twelveBits = value & 0xFFF;
    bytes += char(longMove | (jump ? jumpFlag : 0) | (twelveBits >> 8));
    bytes += char(twelveBits & 0xFF);
}

template <typename T> void append(QByteArray& bytes, T value) {
    char field[sizeof(T)];
    qToLittleEndian(value, field);
    bytes.append(field, sizeof(T));
}

} // namespace

QByteArray BrotherPes::encode(const StitchPath& path, const QByteArray& label,
                              const QList<quint8>& colorIndexes) {
    if (colorIndexes.size() != path.colorChanges() + 1 || colorIndexes.size() > 256)
        throw std::invalid_argument("a PEC part names one colour per colour block");
    QByteArray stitches;
    QPoint previous;
    bool secondChange = false;
    for (const StitchPath::Step& step : path.steps) {
        const QPoint move = step.position - previous;
        if (std::abs(move.x()) > maxMove || std::abs(move.y()) > maxMove)
            throw std::invalid_argument("a move is too long for one PEC record");
        if (step.kind == StitchPath::Kind::ColorChange) {
            if (!move.isNull())
                throw std::invalid_argument("a colour change cannot move the needle in PEC");
            stitches += QByteArray::fromHex("FEB0");
            stitches += char(secondChange ? 1 : 2);
            secondChange = !secondChange;
        } else {
            const bool jump = step.kind == StitchPath::Kind::Jump;
            appendMove(stitches, move.x(), jump);
            appendMove(stitches, -move.y(), jump);
        }
        previous = step.position;
    }
    stitches += char(0xFF);

    QByteArray pec = "LA:" + label.leftJustified(16, ' ', true) + '\r';
    pec += QByteArray(12, ' ') + QByteArray::fromHex("FF00");
    pec += char(thumbnailStride);
    pec += char(thumbnailHeight);
    pec += QByteArray(12, ' ');
    pec += char(colorIndexes.size() - 1);
    for (const quint8 index : colorIndexes)
        pec += char(index);
    pec = pec.leftJustified(pecBlockLength, ' ');

    const QRect box = path.bounds();
    pec += QByteArray(2, '\0');
    const quint32 thumbnailsAt = pecFiguresLength + quint32(stitches.size());
    char offset[4];
    qToLittleEndian(thumbnailsAt, offset);
    pec.append(offset, 3);
    pec += QByteArray::fromHex("31FFF0");
    append<quint16>(pec, quint16(box.width() - 1));
    append<quint16>(pec, quint16(box.height() - 1));
    append<quint16>(pec, 0x01E0);
    append<quint16>(pec, 0x01B0);
    // The first position as a long move from the top left corner, big-endian.
    for (const int corner : {-box.left(), box.bottom()}) {
        pec += char(0x90 | ((corner >> 8) & 0x0F));
        pec += char(corner & 0xFF);
    }
    pec += stitches;
    pec += QByteArray((colorIndexes.size() + 1) * thumbnailStride * thumbnailHeight, '\0');

    QByteArray file = "#PES0001";
    append<quint32>(file, pecOffset);
    return file + pec;
}
