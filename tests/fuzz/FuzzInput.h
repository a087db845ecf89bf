#pragma once

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

// Cuts a fuzzer's input into frames: each frame is one length byte followed by that many bytes
// (fewer at the end of the input), so that mutations keep frame boundaries the fuzzer can learn.
inline QList<QByteArray> fuzzFrames(const uint8_t* data, size_t size) {
    QList<QByteArray> frames;
    size_t at = 0;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at], size - at - 1);
        frames.append(QByteArray(reinterpret_cast<const char*>(data + at + 1),
                                 static_cast<qsizetype>(length)));
        at += 1 + length;
    }
    return frames;
}

inline QByteArray fuzzBytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}
