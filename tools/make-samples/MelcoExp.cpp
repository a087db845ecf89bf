#include "MelcoExp.h"

#include <stdexcept>

namespace {

constexpr char escape = char(0x80);
constexpr char jump = 0x04;
constexpr char colorChange = 0x01;
const QByteArray endRecord("\x80\x80", 2);

} // namespace

QByteArray MelcoExp::encode(const StitchPath& path) {
    QByteArray file;
    QPoint previous;
    for (const StitchPath::Step& step : path.steps) {
        const QPoint move = step.position - previous;
        if (std::abs(move.x()) > maxMove || std::abs(move.y()) > maxMove)
            throw std::invalid_argument("a move is too long for one EXP record");
        switch (step.kind) {
        case StitchPath::Kind::Stitch:
            break;
        case StitchPath::Kind::Jump:
            file += escape;
            file += jump;
            break;
        case StitchPath::Kind::ColorChange:
            if (!move.isNull())
                throw std::invalid_argument("a colour change cannot move the needle in EXP");
            file += escape;
            file += colorChange;
            break;
        }
        file += char(qint8(move.x()));
        file += char(qint8(move.y()));
        previous = step.position;
    }
    return file + endRecord;
}

StitchPath MelcoExp::decode(const QByteArray& file) {
    if (file.size() % 2 != 0 || !file.endsWith(endRecord))
        throw std::runtime_error("not a whole EXP file ending with the end record");
    StitchPath path;
    QPoint position;
    for (qsizetype at = 0; at < file.size() - endRecord.size(); at += 2) {
        StitchPath::Kind kind = StitchPath::Kind::Stitch;
        if (file.at(at) == escape) {
            if (file.at(at + 1) == jump)
                kind = StitchPath::Kind::Jump;
            else if (file.at(at + 1) == colorChange)
                kind = StitchPath::Kind::ColorChange;
            else
                throw std::runtime_error("an unknown command or an early end");
            at += 2;
            if (at >= file.size() - endRecord.size())
                throw std::runtime_error("a command without its move");
        }
        position += QPoint(qint8(file.at(at)), qint8(file.at(at + 1)));
        path.steps.append({kind, position});
    }
    return path;
}
