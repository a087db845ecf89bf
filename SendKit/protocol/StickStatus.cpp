#include "SendKit/protocol/StickStatus.h"

QString StickStatus::text() const {
    switch (rawValue) {
    case ok:
        return QStringLiteral("OK");
    case badRequest:
        return QStringLiteral("BAD_REQUEST");
    case unknownOpcode:
        return QStringLiteral("UNKNOWN_OPCODE");
    case unsupportedVersion:
        return QStringLiteral("UNSUPPORTED_VERSION");
    case hostBusy:
        return QStringLiteral("HOST_BUSY");
    case busy:
        return QStringLiteral("BUSY");
    case tooLarge:
        return QStringLiteral("TOO_LARGE");
    case badName:
        return QStringLiteral("BAD_NAME");
    case badExtension:
        return QStringLiteral("BAD_EXTENSION");
    case nameExists:
        return QStringLiteral("NAME_EXISTS");
    case noSpace:
        return QStringLiteral("NO_SPACE");
    case incomplete:
        return QStringLiteral("INCOMPLETE");
    case hashMismatch:
        return QStringLiteral("HASH_MISMATCH");
    case storageError:
        return QStringLiteral("STORAGE_ERROR");
    case noMedium:
        return QStringLiteral("NO_MEDIUM");
    case notFound:
        return QStringLiteral("NOT_FOUND");
    case mtuTooSmall:
        return QStringLiteral("MTU_TOO_SMALL");
    case timeout:
        return QStringLiteral("TIMEOUT");
    case noTransfer:
        return QStringLiteral("NO_TRANSFER");
    case internal:
        return QStringLiteral("INTERNAL");
    }
    return QString::asprintf("0x%02X", rawValue);
}
