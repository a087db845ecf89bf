#pragma once

#include "SendKit/StickError.h"
#include "SendKit/protocol/StickEvent.h"

#include <QByteArray>
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
