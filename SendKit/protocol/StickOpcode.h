#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The request opcodes; the enumerator's value is the wire byte.
enum class StickOpcode : quint8 {
    getInfo = 0x01,
    begin = 0x02,
    commit = 0x03,
    abort = 0x04,
    list = 0x05,
    deleteFile = 0x06, // DELETE
    identify = 0x07,
    lastResult = 0x08,
};

// None for any byte outside 1 to 8.
std::optional<StickOpcode> stickOpcode(quint8 byte);
quint8 wireByte(StickOpcode opcode);
// "GET_INFO", ...
QString displayName(StickOpcode opcode);
// The name of opcodes 1 to 8, otherwise "op 0x2A".
QString displayName(quint8 opcodeByte);
