#include "SendKit/designs/TajimaDstReader.h"

#include "SendKit/designs/DesignReadError.h"

#include <array>

namespace {

constexpr qsizetype headerLength = 512;
constexpr qsizetype recordLength = 3;
constexpr quint8 endFlags = 0xF3;
constexpr quint8 kindFlags = 0xC0;
constexpr quint8 jumpFlags = 0x80;
constexpr quint8 colorChangeFlags = 0xC0;

// One power of three of a move: the record byte and bit that carry it, and its signed weight.
struct TernaryDigit {
    int byte;
    quint8 bit;
    int weight;
};
constexpr std::array<TernaryDigit, 10> xDigits{{{0, 0x01, 1},
                                                {0, 0x02, -1},
                                                {1, 0x01, 3},
                                                {1, 0x02, -3},
                                                {0, 0x04, 9},
                                                {0, 0x08, -9},
                                                {1, 0x04, 27},
                                                {1, 0x08, -27},
                                                {2, 0x04, 81},
                                                {2, 0x08, -81}}};
constexpr std::array<TernaryDigit, 10> yDigits{{{0, 0x80, 1},
                                                {0, 0x40, -1},
                                                {1, 0x80, 3},
                                                {1, 0x40, -3},
                                                {0, 0x20, 9},
                                                {0, 0x10, -9},
                                                {1, 0x20, 27},
                                                {1, 0x10, -27},
                                                {2, 0x20, 81},
                                                {2, 0x10, -81}}};

int move(const std::array<quint8, 3>& record, const std::array<TernaryDigit, 10>& digits) {
    int value = 0;
    for (const TernaryDigit& digit : digits) {
        if (record[digit.byte] & digit.bit)
            value += digit.weight;
    }
    return value;
}

} // namespace

StitchDesign TajimaDstReader::read(const QString& fileName, const QByteArray& bytes) {
    const QString format = QStringLiteral("DST");
    if (bytes.size() < headerLength)
        throw DesignReadError::cutShort(fileName, format, bytes.size());
    if (!bytes.startsWith("LA:"))
        throw DesignReadError::notA(fileName, format,
                                    QStringLiteral("its header does not begin with LA:"));
    StitchDesign design{format, {}, {}};
    QPoint position;
    for (qsizetype at = headerLength;; at += recordLength) {
        // A file without its end record was cut short, even when it ends on a whole record.
        if (bytes.size() - at < recordLength)
            throw DesignReadError::cutShort(fileName, format, bytes.size());
        const std::array<quint8, 3> record{quint8(bytes[at]), quint8(bytes[at + 1]),
                                           quint8(bytes[at + 2])};
        if (record[2] == endFlags) {
            design.stitches.append({StitchDesign::Stitch::Kind::end, position});
            return design;
        }
        position += QPoint(move(record, xDigits), move(record, yDigits));
        StitchDesign::Stitch::Kind kind = StitchDesign::Stitch::Kind::normal;
        if ((record[2] & kindFlags) == jumpFlags)
            kind = StitchDesign::Stitch::Kind::jump;
        else if ((record[2] & kindFlags) == colorChangeFlags)
            kind = StitchDesign::Stitch::Kind::colorChange;
        design.stitches.append({kind, position});
    }
}
