#include "SendKit/protocol/StickVolume.h"

StickVolume::Kind StickVolume::Kind::fromByte(quint8 byte) {
    switch (byte) {
    case 0:
        return {Internal{}};
    case 1:
        return {SDCard{}};
    }
    return {Other{byte}};
}

quint8 StickVolume::Kind::byte() const {
    struct Visitor {
        quint8 operator()(Internal) const { return 0; }
        quint8 operator()(SDCard) const { return 1; }
        quint8 operator()(Other other) const { return other.raw; }
    };
    return std::visit(Visitor{}, value);
}

QString StickVolume::Kind::text() const {
    struct Visitor {
        QString operator()(Internal) const { return QStringLiteral("internal"); }
        QString operator()(SDCard) const { return QStringLiteral("sdCard"); }
        QString operator()(Other other) const { return QStringLiteral("other(%1)").arg(other.raw); }
    };
    return std::visit(Visitor{}, value);
}

StickVolume StickVolume::fromWire(quint8 kindByte, quint8 flags, quint64 totalBytes,
                                  quint64 freeBytes) {
    return {Kind::fromByte(kindByte),
            (flags & presentFlag) != 0,
            (flags & activeFlag) != 0,
            (flags & unsupportedFlag) != 0,
            totalBytes,
            freeBytes};
}

quint8 StickVolume::flags() const {
    return quint8((isPresent ? presentFlag : 0) | (isActive ? activeFlag : 0) |
                  (isUnsupported ? unsupportedFlag : 0));
}
