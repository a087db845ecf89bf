#include "SendKit/designs/PfaffVp3Reader.h"

#include "SendKit/designs/DesignReadError.h"

#include <QtEndian>

#include <cmath>

namespace {

const QByteArray magic("%vsm%\0", 6);
const QByteArray colorBlockTag = QByteArray::fromHex("000500");
// The file section's settings up to its design section's tag and length: extents, stitch count,
// four figures, the number of designs.
constexpr qsizetype fileFigures = 16 + 4 + 4 + 1 + 7;
// The design section's zeros, hoop extents and size after its centre.
constexpr qsizetype hoopFigures = 3 + 16 + 8;
// The design section's figures between its two texts, up to "xxPP" 01 00.
constexpr qsizetype designFigures = 2 + 16 + 6;
// A block's shift and its stitch section's tag, length and opening bytes.
constexpr qsizetype stitchSectionHeader = 8 + 7 + 3;
constexpr quint8 escape = 0x80;
constexpr quint8 longMove = 0x01;
constexpr quint8 longMoveEnd = 0x02;
constexpr quint8 trim = 0x03;
// Block starts are given in µm, a hundredth of the design's 0.1 mm.
constexpr double micrometres = 100;
// Long moves could carry the needle beyond what a position holds; no hoop is near 100 m.
constexpr int farthest = 1'000'000;

// Reads forward through the bytes; every read is checked against the end of the file, and
// within a colour block against the block's stated end.
class Cursor {
public:
    Cursor(const QString& fileName, const QByteArray& bytes)
        : m_fileName(fileName)
        , m_bytes(bytes)
        , m_limit(bytes.size()) {}

    qint64 at() const { return m_at; }
    qint64 remaining() const { return m_limit - m_at; }

    const char* take(qint64 length) {
        if (length > m_bytes.size() - m_at)
            throw DesignReadError::cutShort(m_fileName, QStringLiteral("VP3"), m_bytes.size());
        if (length > m_limit - m_at)
            throw DesignReadError::notA(
                m_fileName, QStringLiteral("VP3"),
                QStringLiteral("its colour block at byte %1 is longer than it says")
                    .arg(m_blockStart));
        const char* data = m_bytes.constData() + m_at;
        m_at += length;
        return data;
    }
    void skip(qint64 length) { take(length); }
    quint8 byte() { return quint8(*take(1)); }
    quint32 u16() { return qFromBigEndian<quint16>(take(2)); }
    qint16 s16() { return qFromBigEndian<qint16>(take(2)); }
    quint32 u32() { return qFromBigEndian<quint32>(take(4)); }
    qint32 s32() { return qFromBigEndian<qint32>(take(4)); }
    quint32 rgb() {
        const char* data = take(3);
        return quint32(quint8(data[0])) << 16 | quint32(quint8(data[1])) << 8 | quint8(data[2]);
    }
    void skipText() { skip(u16()); }

    // Confines the reads to a block of the given length from here; a block that would end
    // beyond the file's end is the sign of a file cut short.
    void enterBlock(qint64 start, qint64 length) {
        if (length > m_bytes.size() - m_at)
            throw DesignReadError::cutShort(m_fileName, QStringLiteral("VP3"), m_bytes.size());
        m_blockStart = start;
        m_limit = m_at + length;
    }
    void leaveBlock() {
        m_at = m_limit;
        m_limit = m_bytes.size();
    }

private:
    const QString& m_fileName;
    const QByteArray& m_bytes;
    qint64 m_at = 0;
    qint64 m_limit;
    qint64 m_blockStart = 0;
};

} // namespace

StitchDesign PfaffVp3Reader::read(const QString& fileName, const QByteArray& bytes) {
    const QString format = QStringLiteral("VP3");
    using Kind = StitchDesign::Stitch::Kind;
    Cursor in(fileName, bytes);
    if (bytes.size() < magic.size())
        throw DesignReadError::cutShort(fileName, format, bytes.size());
    if (!bytes.startsWith(magic))
        throw DesignReadError::notA(fileName, format,
                                    QStringLiteral("it does not begin with %vsm%"));
    in.skip(magic.size());
    in.skipText();
    in.skip(7);
    in.skipText();
    in.skip(fileFigures);
    // The design's centre, where block starts are measured from.
    const qint64 centreX = in.s32();
    const qint64 centreY = in.s32();
    in.skip(hoopFigures);
    in.skipText();
    in.skip(designFigures);
    in.skipText();
    const quint32 blocks = in.u16();

    StitchDesign design{format, {}, {}};
    QPoint position;
    const auto moveBy = [&](int x, int y) {
        position += QPoint(x, y);
        if (std::abs(position.x()) > farthest || std::abs(position.y()) > farthest)
            throw DesignReadError::notA(
                fileName, format,
                QStringLiteral("its stitches run more than 100 m from where they begin"));
    };
    for (quint32 block = 0; block < blocks; ++block) {
        const qint64 start = in.at();
        if (QByteArray(in.take(3), 3) != colorBlockTag)
            throw DesignReadError::notA(
                fileName, format,
                QStringLiteral("its colour block at byte %1 does not begin with 00 05 00")
                    .arg(start));
        in.enterBlock(start, in.u32());
        const qint64 startX = centreX + in.s32();
        const qint64 startY = centreY + in.s32();
        const QPoint blockStart(int(std::lround(startX / micrometres)),
                                int(std::lround(startY / micrometres)));

        // A thread may blend several colours; the first is the one it shows.
        const int colors = in.byte();
        in.skip(1);
        quint32 color = 0;
        for (int i = 0; i < colors; ++i) {
            const quint32 rgb = in.rgb();
            if (i == 0)
                color = rgb;
            in.skip(3);
        }
        design.threadColors.append(color);
        in.skip(2);
        for (int text = 0; text < 3; ++text)
            in.skipText();
        in.skip(stitchSectionHeader);

        if (block > 0)
            design.stitches.append({Kind::colorChange, position});
        if (blockStart != position) {
            position = blockStart;
            design.stitches.append({Kind::jump, position});
        }
        bool trimmed = false;
        // A block may end on one byte of padding.
        while (in.remaining() >= 2) {
            const quint8 first = in.byte();
            const quint8 second = in.byte();
            if (first != escape) {
                moveBy(qint8(first), -qint8(second));
                design.stitches.append({Kind::normal, position});
                trimmed = false;
            } else if (second == longMove) {
                const int x = in.s16();
                const int y = in.s16();
                moveBy(x, -y);
                design.stitches.append({trimmed ? Kind::jump : Kind::normal, position});
            } else if (second == trim) {
                design.stitches.append({Kind::trim, position});
                trimmed = true;
            } else if (second != longMoveEnd) {
                throw DesignReadError::notA(
                    fileName, format,
                    QStringLiteral("byte %1 holds the unknown command 80 %2")
                        .arg(in.at() - 2)
                        .arg(second, 2, 16, QLatin1Char('0')));
            }
        }
        in.leaveBlock();
    }
    design.stitches.append({Kind::end, position});
    return design;
}
