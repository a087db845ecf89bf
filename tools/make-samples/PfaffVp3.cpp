#include "PfaffVp3.h"

#include <QtEndian>

#include <stdexcept>

namespace {

constexpr int micrometres = 100;
constexpr int shortMove = 127;
const QByteArray producer = "Produced by Brindle Stick";

template <typename T> QByteArray bigEndian(T value) {
    QByteArray field(sizeof(T), '\0');
    qToBigEndian(value, field.data());
    return field;
}

QByteArray section(const char* tagHex, const QByteArray& body) {
    return QByteArray::fromHex(tagHex) + bigEndian<quint32>(quint32(body.size())) + body;
}

QByteArray wideText(const QString& text) {
    QByteArray utf16;
    for (const QChar unit : text)
        utf16 += bigEndian<quint16>(unit.unicode());
    return bigEndian<quint16>(quint16(utf16.size())) + utf16;
}

QByteArray text(const QByteArray& utf8) {
    return bigEndian<quint16>(quint16(utf8.size())) + utf8;
}

QByteArray point(QPoint position) {
    return bigEndian<qint32>(position.x() * micrometres) +
           bigEndian<qint32>(position.y() * micrometres);
}

QByteArray thread(quint32 rgb) {
    QByteArray bytes = QByteArray::fromHex("0100");
    bytes += bigEndian<quint32>(rgb).mid(1);
    // No blend parts, no length; rayon of weight 40.
    bytes += QByteArray::fromHex("0000000528");
    bytes += text({});
    bytes += text(QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper().toLatin1());
    bytes += text("Brindle");
    return bytes;
}

QByteArray moves(const QList<StitchPath::Step>& steps, QPoint from) {
    QByteArray bytes;
    for (const StitchPath::Step& step : steps) {
        const QPoint move = step.position - from;
        if (std::abs(move.x()) > PfaffVp3::maxMove || std::abs(move.y()) > PfaffVp3::maxMove)
            throw std::invalid_argument("a move is too long for one VP3 record");
        if (std::abs(move.x()) <= shortMove && std::abs(move.y()) <= shortMove) {
            bytes += char(qint8(move.x()));
            bytes += char(qint8(-move.y()));
        } else {
            bytes += QByteArray::fromHex("8001") + bigEndian<qint16>(qint16(move.x())) +
                     bigEndian<qint16>(qint16(-move.y())) + QByteArray::fromHex("8002");
        }
        from = step.position;
    }
    return bytes;
}

} // namespace

QByteArray PfaffVp3::encode(const StitchPath& path, const QList<quint32>& threadColors) {
    if (threadColors.size() != path.colorChanges() + 1)
        throw std::invalid_argument("a VP3 file has one thread per colour block");
    const QRect box = path.bounds();
    const QPoint centre = box.center();

    QByteArray blocks;
    QPoint position;
    qsizetype at = 0;
    for (const quint32 color : threadColors) {
        if (at < path.steps.size() && path.steps[at].kind == StitchPath::Kind::ColorChange)
            ++at;
        QPoint start = position;
        if (at < path.steps.size() && path.steps[at].kind == StitchPath::Kind::Jump)
            start = path.steps[at++].position;
        QList<StitchPath::Step> stitches;
        for (; at < path.steps.size() && path.steps[at].kind == StitchPath::Kind::Stitch; ++at)
            stitches.append(path.steps[at]);
        if (at < path.steps.size() && path.steps[at].kind == StitchPath::Kind::Jump)
            throw std::invalid_argument("VP3 jumps only to the start of a colour block");
        position = stitches.isEmpty() ? start : stitches.last().position;
        const QByteArray body =
            point(start - centre) + thread(color) + point(position - start) +
            section("000100", QByteArray::fromHex("0AF600") + moves(stitches, start)) +
            QByteArray(1, '\0');
        blocks += section("000500", body);
    }
    if (at != path.steps.size())
        throw std::invalid_argument("a colour block does not follow a colour change");

    const QPoint half((box.width() - 1) / 2, (box.height() - 1) / 2);
    QByteArray design = point(centre) + QByteArray(3, '\0');
    for (const int extent : {-half.x(), half.x(), -half.y(), half.y()})
        design += bigEndian<qint32>(extent * micrometres);
    design += point(QPoint(box.width() - 1, box.height() - 1));
    design += wideText({});
    design += "dd" + bigEndian<quint32>(4096) + bigEndian<quint32>(0) + bigEndian<quint32>(0) +
              bigEndian<quint32>(4096) + QByteArray("xxPP\x01\x00", 6);
    design += wideText(QString::fromLatin1(producer));
    design += bigEndian<quint16>(quint16(threadColors.size())) + blocks;

    QByteArray file = wideText({});
    file += point(QPoint(box.right(), box.bottom())) + point(QPoint(box.left(), box.top()));
    file += bigEndian<quint32>(quint32(path.steps.size()));
    file += char(0);
    file += char(threadColors.size());
    file += char(12);
    file += char(0);
    file += char(1); // one design
    file += section("000300", design);

    return QByteArray("%vsm%", 6) + wideText(QString::fromLatin1(producer)) +
           section("000200", file);
}
