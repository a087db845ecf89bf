#include "SendKit/designs/JanomeJefReader.h"

#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/ThreadPalette.h"

#include <QtEndian>

namespace {

constexpr qsizetype headerLength = 116;
constexpr qsizetype stitchOffsetAt = 0;
constexpr qsizetype threadCountAt = 24;
constexpr qsizetype threadCodesAt = headerLength;
// A thread code and a thread type per thread.
constexpr qint64 threadTableEntry = 8;
constexpr quint8 escape = 0x80;

} // namespace

StitchDesign JanomeJefReader::read(const QString& fileName, const QByteArray& bytes) {
    const QString format = QStringLiteral("JEF");
    using Kind = StitchDesign::Stitch::Kind;
    if (bytes.size() < headerLength)
        throw DesignReadError::cutShort(fileName, format, bytes.size());
    const qint64 stitchOffset = qFromLittleEndian<quint32>(bytes.constData() + stitchOffsetAt);
    const qint64 threads = qFromLittleEndian<quint32>(bytes.constData() + threadCountAt);
    if (stitchOffset < headerLength + threads * threadTableEntry)
        throw DesignReadError::notA(
            fileName, format,
            QStringLiteral("its stitches would begin at byte %1, inside its header")
                .arg(stitchOffset));

    // The stitch offset may lie beyond a cut file; the thread codes must not.
    if (bytes.size() < threadCodesAt + threads * 4)
        throw DesignReadError::cutShort(fileName, format, bytes.size());

    StitchDesign design{format, {}, {}};
    for (qint64 thread = 0; thread < threads; ++thread)
        design.threadColors.append(ThreadPalette::janome(
            qFromLittleEndian<quint32>(bytes.constData() + threadCodesAt + thread * 4)));
    QPoint position;
    qint64 at = stitchOffset;
    const auto take = [&]() {
        if (bytes.size() - at < 2)
            throw DesignReadError::cutShort(fileName, format, bytes.size());
        const std::pair<quint8, quint8> pair{quint8(bytes[at]), quint8(bytes[at + 1])};
        at += 2;
        return pair;
    };
    for (;;) {
        auto [first, second] = take();
        Kind kind = Kind::normal;
        if (first == escape) {
            if (second == 0x10) {
                design.stitches.append({Kind::end, position});
                return design;
            }
            if (second == 0x01)
                kind = Kind::colorChange;
            else if (second == 0x02)
                kind = Kind::jump;
            else
                throw DesignReadError::notA(
                    fileName, format,
                    QStringLiteral("byte %1 holds the unknown command 80 %2")
                        .arg(at - 2)
                        .arg(second, 2, 16, QLatin1Char('0')));
            std::tie(first, second) = take();
            if (kind == Kind::jump && first == 0 && second == 0)
                kind = Kind::trim;
        }
        position += QPoint(qint8(first), qint8(second));
        design.stitches.append({kind, position});
    }
}
