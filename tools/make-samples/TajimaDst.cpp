#include "TajimaDst.h"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

constexpr int headerLength = 512;

// Where each power of three of a move lives: byte of the record, bit for +, bit for -.
struct TernaryBit {
    int weight;
    int byte;
    quint8 plus;
    quint8 minus;
};
constexpr std::array<TernaryBit, 5> xBits{{
    {81, 2, 0x04, 0x08},
    {27, 1, 0x04, 0x08},
    {9, 0, 0x04, 0x08},
    {3, 1, 0x01, 0x02},
    {1, 0, 0x01, 0x02},
}};
constexpr std::array<TernaryBit, 5> yBits{{
    {81, 2, 0x20, 0x10},
    {27, 1, 0x20, 0x10},
    {9, 0, 0x20, 0x10},
    {3, 1, 0x80, 0x40},
    {1, 0, 0x80, 0x40},
}};

constexpr quint8 alwaysSet = 0x03;
constexpr quint8 jumpFlag = 0x80;
constexpr quint8 colorChangeFlags = 0xC0;
const QByteArray endRecord = QByteArray::fromHex("0000F3");

void encodeAxis(int value, const std::array<TernaryBit, 5>& bits, std::array<quint8, 3>& record) {
    for (const TernaryBit& bit : bits) {
        // Balanced ternary from the top: take the weight when the rest cannot cover the value.
        const int rest = (bit.weight - 1) / 2;
        if (value > rest) {
            record[bit.byte] |= bit.plus;
            value -= bit.weight;
        } else if (value < -rest) {
            record[bit.byte] |= bit.minus;
            value += bit.weight;
        }
    }
}

int decodeAxis(const char* record, const std::array<TernaryBit, 5>& bits) {
    int value = 0;
    for (const TernaryBit& bit : bits) {
        const auto byte = quint8(record[bit.byte]);
        if ((byte & bit.plus) && (byte & bit.minus))
            throw std::runtime_error("a record both adds and takes away the same weight");
        if (byte & bit.plus)
            value += bit.weight;
        if (byte & bit.minus)
            value -= bit.weight;
    }
    return value;
}

QByteArray field(const char* format, auto... values) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, format, values...);
    if (length < 0 || length >= int(sizeof text))
        throw std::invalid_argument("a header value does not fit its field");
    return QByteArray(text, length);
}

QByteArray signedField(const char* name, int value) {
    return field("%s:%c%5d\r", name, value < 0 ? '-' : '+', std::abs(value));
}

QByteArray header(const StitchPath& path, const QByteArray& label, qsizetype records) {
    const QRect box = path.bounds();
    QByteArray text;
    text += "LA:" + label.leftJustified(16, ' ', true) + '\r';
    text += field("ST:%7lld\r", qlonglong(records));
    text += field("CO:%3d\r", path.colorChanges());
    text += field("+X:%5d\r", box.right());
    text += field("-X:%5d\r", -box.left());
    text += field("+Y:%5d\r", box.bottom());
    text += field("-Y:%5d\r", -box.top());
    text += signedField("AX", path.end().x());
    text += signedField("AY", path.end().y());
    text += signedField("MX", 0);
    text += signedField("MY", 0);
    text += "PD:******\r";
    text += '\x1A';
    return text.leftJustified(headerLength, ' ');
}

} // namespace

QByteArray TajimaDst::encode(const StitchPath& path, const QByteArray& label) {
    QByteArray records;
    QPoint previous;
    for (const StitchPath::Step& step : path.steps) {
        const QPoint move = step.position - previous;
        if (std::abs(move.x()) > maxMove || std::abs(move.y()) > maxMove)
            throw std::invalid_argument("a move is too long for one DST record");
        std::array<quint8, 3> record{0, 0, alwaysSet};
        encodeAxis(move.x(), xBits, record);
        encodeAxis(move.y(), yBits, record);
        if (step.kind == StitchPath::Kind::Jump)
            record[2] |= jumpFlag;
        if (step.kind == StitchPath::Kind::ColorChange)
            record[2] |= colorChangeFlags;
        records.append(reinterpret_cast<const char*>(record.data()), 3);
        previous = step.position;
    }
    return header(path, label, path.steps.size()) + records + endRecord;
}

StitchPath TajimaDst::decode(const QByteArray& file) {
    if (file.size() < headerLength + endRecord.size() || (file.size() - headerLength) % 3 != 0 ||
        !file.endsWith(endRecord))
        throw std::runtime_error("not a whole DST file ending with the end record");
    // Machines read the header fields at fixed offsets, whatever their values.
    const std::pair<int, const char*> fields[] = {
        {0, "LA:"},   {20, "ST:"},  {31, "CO:"},  {38, "+X:"}, {47, "-X:"},
        {56, "+Y:"},  {65, "-Y:"},  {74, "AX:"},  {84, "AY:"}, {94, "MX:"},
        {104, "MY:"}, {114, "PD:"}, {124, "\x1A"}};
    for (const auto& [offset, name] : fields) {
        if (file.mid(offset, qstrlen(name)) != name || (offset > 0 && file.at(offset - 1) != '\r'))
            throw std::runtime_error(std::string("header field not in its place: ") + name);
    }

    StitchPath path;
    QPoint position;
    for (qsizetype at = headerLength; at < file.size() - endRecord.size(); at += 3) {
        const char* record = file.constData() + at;
        if (QByteArray(record, 3) == endRecord)
            throw std::runtime_error("an end record before the end of the file");
        const auto flags = quint8(record[2]);
        if ((flags & alwaysSet) != alwaysSet)
            throw std::runtime_error("a record lacks its two set bits");
        position += QPoint(decodeAxis(record, xBits), decodeAxis(record, yBits));
        switch (flags & colorChangeFlags) {
        case 0:
            path.steps.append({StitchPath::Kind::Stitch, position});
            break;
        case jumpFlag:
            path.steps.append({StitchPath::Kind::Jump, position});
            break;
        case colorChangeFlags:
            path.steps.append({StitchPath::Kind::ColorChange, position});
            break;
        default:
            throw std::runtime_error("a record of an unknown kind");
        }
    }
    const QByteArray label = file.mid(3, 16).trimmed();
    if (file.first(headerLength) != header(path, label, path.steps.size()))
        throw std::runtime_error("the header does not describe the records");
    return path;
}
