#include "SendKit/designs/MelcoExpReader.h"

#include "SendKit/designs/DesignReadError.h"

namespace {

constexpr quint8 escape = 0x80;

} // namespace

StitchDesign MelcoExpReader::read(const QString& fileName, const QByteArray& bytes) {
    const QString format = QStringLiteral("EXP");
    using Kind = StitchDesign::Stitch::Kind;
    StitchDesign design{format, {}, {}};
    QPoint position;
    qsizetype at = 0;
    // Every record is two bytes: an odd length or a command without its move was cut short.
    const auto take = [&]() {
        if (bytes.size() - at < 2)
            throw DesignReadError::cutShort(fileName, format, bytes.size());
        const std::pair<quint8, quint8> pair{quint8(bytes[at]), quint8(bytes[at + 1])};
        at += 2;
        return pair;
    };
    if (bytes.isEmpty())
        take();
    while (at < bytes.size()) {
        auto [first, second] = take();
        Kind kind = Kind::normal;
        if (first == escape) {
            if (second == escape && at == bytes.size()) {
                design.stitches.append({Kind::end, position});
                break;
            }
            switch (second) {
            case 0x01:
                kind = Kind::colorChange;
                break;
            case 0x02:
                kind = Kind::normal;
                break;
            case 0x04:
                kind = Kind::jump;
                break;
            case escape:
                kind = Kind::trim;
                break;
            default:
                throw DesignReadError::notA(
                    fileName, format,
                    QStringLiteral("byte %1 holds the unknown command 80 %2")
                        .arg(at - 2)
                        .arg(second, 2, 16, QLatin1Char('0')));
            }
            std::tie(first, second) = take();
        }
        position += QPoint(qint8(first), qint8(second));
        design.stitches.append({kind, position});
    }
    return design;
}
