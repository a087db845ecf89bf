#include "SendKit/protocol/StickOpcode.h"

std::optional<StickOpcode> stickOpcode(quint8 byte) {
    if (byte < wireByte(StickOpcode::getInfo) || byte > wireByte(StickOpcode::lastResult))
        return std::nullopt;
    return StickOpcode(byte);
}

quint8 wireByte(StickOpcode opcode) {
    return quint8(opcode);
}

QString displayName(StickOpcode opcode) {
    switch (opcode) {
    case StickOpcode::getInfo:
        return QStringLiteral("GET_INFO");
    case StickOpcode::begin:
        return QStringLiteral("BEGIN");
    case StickOpcode::commit:
        return QStringLiteral("COMMIT");
    case StickOpcode::abort:
        return QStringLiteral("ABORT");
    case StickOpcode::list:
        return QStringLiteral("LIST");
    case StickOpcode::deleteFile:
        return QStringLiteral("DELETE");
    case StickOpcode::identify:
        return QStringLiteral("IDENTIFY");
    case StickOpcode::lastResult:
        return QStringLiteral("LAST_RESULT");
    }
    return displayName(wireByte(opcode));
}

QString displayName(quint8 opcodeByte) {
    if (const auto opcode = stickOpcode(opcodeByte))
        return displayName(*opcode);
    return QString::asprintf("op 0x%02X", opcodeByte);
}
