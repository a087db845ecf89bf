#include "SendKit/designs/BrotherPesReader.h"

#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/ThreadPalette.h"

#include <QtEndian>

namespace {

constexpr qsizetype pesHeaderLength = 12;
constexpr qsizetype pecOffsetAt = 8;
constexpr qsizetype pecColorCountAt = 48;
constexpr qsizetype pecStitchesAt = 512 + 20;
constexpr quint8 longMove = 0x80;
constexpr quint8 trimFlag = 0x20;
constexpr quint8 jumpFlag = 0x10;
constexpr quint8 colorChange = 0xFE;
constexpr quint8 end = 0xFF;

} // namespace

StitchDesign BrotherPesReader::read(const QString& fileName, const QByteArray& bytes) {
    const QString format = QStringLiteral("PES");
    using Kind = StitchDesign::Stitch::Kind;
    if (bytes.size() < pesHeaderLength)
        throw DesignReadError::cutShort(fileName, format, bytes.size());
    if (!bytes.startsWith("#PES"))
        throw DesignReadError::notA(fileName, format,
                                    QStringLiteral("it does not begin with #PES"));
    const qint64 pec = qFromLittleEndian<quint32>(bytes.constData() + pecOffsetAt);
    if (bytes.size() - pec < pecStitchesAt)
        throw DesignReadError::cutShort(fileName, format, bytes.size());
    if (!bytes.mid(pec, 3).startsWith("LA:"))
        throw DesignReadError::notA(fileName, format,
                                    QStringLiteral("its PEC part does not begin with LA:"));

    StitchDesign design{format, {}, {}};
    // One less than the colour count, so FF names none; the indexes that follow always lie within
    // the 512-byte block.
    const int colors = (quint8(bytes[pec + pecColorCountAt]) + 1) & 0xFF;
    for (int color = 0; color < colors; ++color)
        design.threadColors.append(
            ThreadPalette::brother(quint8(bytes[pec + pecColorCountAt + 1 + color])));
    qint64 at = pec + pecStitchesAt;
    const auto next = [&]() {
        if (at >= bytes.size())
            throw DesignReadError::cutShort(fileName, format, bytes.size());
        return quint8(bytes[at++]);
    };
    // One coordinate of a move, and the kind its long form's flags give.
    const auto coordinate = [&](Kind& kind) {
        const quint8 first = next();
        if (!(first & longMove))
            return first > 0x3F ? int(first) - 0x80 : int(first);
        if (first & trimFlag)
            kind = Kind::trim;
        else if ((first & jumpFlag) && kind != Kind::trim)
            kind = Kind::jump;
        const int value = ((first & 0x0F) << 8) | next();
        return value & 0x800 ? value - 0x1000 : value;
    };
    QPoint position;
    for (;;) {
        if (at < bytes.size() && quint8(bytes[at]) == end) {
            design.stitches.append({Kind::end, position});
            return design;
        }
        if (at < bytes.size() && quint8(bytes[at]) == colorChange) {
            at += 2;
            next();
            design.stitches.append({Kind::colorChange, position});
            continue;
        }
        Kind kind = Kind::normal;
        const int x = coordinate(kind);
        const int y = coordinate(kind);
        // PEC's y grows downwards; a design's grows upwards.
        position += QPoint(x, -y);
        design.stitches.append({kind, position});
    }
}
