#include "SendKit/protocol/StickUSBState.h"

StickUSBState StickUSBState::fromByte(quint8 byte) {
    switch (byte) {
    case 0:
        return {NoHost{}};
    case 1:
        return {HostIdle{}};
    case 2:
        return {HostActive{}};
    case 3:
        return {Swapping{}};
    }
    return {Unknown{byte}};
}

quint8 StickUSBState::byte() const {
    struct Visitor {
        quint8 operator()(NoHost) const { return 0; }
        quint8 operator()(HostIdle) const { return 1; }
        quint8 operator()(HostActive) const { return 2; }
        quint8 operator()(Swapping) const { return 3; }
        quint8 operator()(Unknown unknown) const { return unknown.raw; }
    };
    return std::visit(Visitor{}, value);
}

QString StickUSBState::text() const {
    struct Visitor {
        QString operator()(NoHost) const { return QStringLiteral("noHost"); }
        QString operator()(HostIdle) const { return QStringLiteral("hostIdle"); }
        QString operator()(HostActive) const { return QStringLiteral("hostActive"); }
        QString operator()(Swapping) const { return QStringLiteral("swapping"); }
        QString operator()(Unknown unknown) const {
            return QStringLiteral("unknown(%1)").arg(unknown.raw);
        }
    };
    return std::visit(Visitor{}, value);
}
