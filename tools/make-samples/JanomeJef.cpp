#include "JanomeJef.h"

#include <QtEndian>

#include <stdexcept>

namespace {

constexpr int headerLength = 116;
constexpr quint32 flags = 0x14;
constexpr quint32 embroideryThread = 0x0D;
// The 110 × 110 mm hoop; the other three hoops' distances are given as -1, "does not apply".
constexpr quint32 hoopA = 0;
constexpr int hoopAHalf = 550;

void append32(QByteArray& bytes, qint32 value) {
    char field[4];
    qToLittleEndian(value, field);
    bytes.append(field, 4);
}

} // namespace

QByteArray JanomeJef::encode(const StitchPath& path, const QList<quint32>& threadCodes) {
    if (threadCodes.size() != path.colorChanges() + 1)
        throw std::invalid_argument("a JEF file names one thread per colour block");
    QByteArray records;
    QPoint previous;
    for (const StitchPath::Step& step : path.steps) {
        const QPoint move = step.position - previous;
        if (std::abs(move.x()) > maxMove || std::abs(move.y()) > maxMove)
            throw std::invalid_argument("a move is too long for one JEF record");
        if (step.kind == StitchPath::Kind::Jump)
            records += QByteArray::fromHex("8002");
        if (step.kind == StitchPath::Kind::ColorChange) {
            if (!move.isNull())
                throw std::invalid_argument("a colour change cannot move the needle in JEF");
            records += QByteArray::fromHex("8001");
        }
        records += char(qint8(move.x()));
        records += char(qint8(move.y()));
        previous = step.position;
    }
    records += QByteArray::fromHex("8010");

    const QRect box = path.bounds();
    QByteArray file;
    append32(file, headerLength + 8 * qint32(threadCodes.size()));
    append32(file, flags);
    file += QByteArray("20261208000000").leftJustified(16, '\0');
    append32(file, qint32(threadCodes.size()));
    append32(file, qint32(path.steps.size() + 1));
    append32(file, hoopA);
    const qint32 extents[] = {-box.left(), box.bottom(), box.right(), -box.top()};
    for (const qint32 extent : extents)
        append32(file, extent);
    for (const qint32 extent : extents)
        append32(file, hoopAHalf - extent);
    for (int value = 0; value < 12; ++value)
        append32(file, -1);
    for (const quint32 code : threadCodes)
        append32(file, qint32(code));
    for (qsizetype thread = 0; thread < threadCodes.size(); ++thread)
        append32(file, embroideryThread);
    return file + records;
}
