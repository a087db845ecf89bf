#pragma once

#include "SendKit/StickError.h"
#include "SendKit/protocol/StickEvent.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>
#include <ostream>

// Bytes that differ from their neighbours, so that a misplaced chunk shows.
inline QByteArray patternBytes(qsizetype size, int seed = 0) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 251 + seed) & 0xFF);
    return bytes;
}

// A DST design of at least the given bytes: its 512-byte header, then stitches of 8.1 mm that run
// steps.width() to the right, steps.height() up and back again, until the size is reached, then the
// end record. Its extents are steps × 81 in 0.1 mm.
inline QByteArray tajimaDesign(qsizetype size = 800, QSize steps = {2, 2}) {
    QByteArray bytes("LA:test");
    bytes.resize(512, ' ');
    // The third byte of a record: 0x03 always, then +81 x (0x04), -81 x (0x08), +81 y (0x20),
    // -81 y (0x10).
    QByteArray round;
    round += QByteArray(steps.width(), '\x04') + QByteArray(steps.height(), '\x20') +
             QByteArray(steps.width(), '\x08') + QByteArray(steps.height(), '\x10');
    for (qsizetype at = 0; bytes.size() + 3 < size || at < round.size(); ++at)
        bytes += QByteArray("\0\0", 2) + char(round[at % round.size()] | 0x03);
    return bytes + QByteArray("\0\0\xF3", 3);
}

// The StickError the call fails with; none when it succeeds.
template <class Call> std::optional<StickError> stickFailure(Call&& call) {
    try {
        call();
    } catch (const StickError& error) {
        return error;
    }
    return std::nullopt;
}

// Readable failure messages for the types the tests compare.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << bytes.toHex(' ').toStdString();
}
inline void PrintTo(const StickError& error, std::ostream* out) {
    *out << error.what();
}
inline void PrintTo(const StickEvent& event, std::ostream* out) {
    *out << event.text().toStdString();
}
