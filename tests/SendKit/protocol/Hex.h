#pragma once

#include "SendKit/protocol/StickWireError.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Wire bytes written as hex (spaces allowed), and the description a decoder fails with.
inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

inline QString wireFailure(const std::function<void()>& decode) {
    try {
        decode();
    } catch (const StickWireError& error) {
        return error.description();
    }
    return QStringLiteral("<no failure>");
}
