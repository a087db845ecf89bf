#include "cli/SimulatorSetup.h"

#include <QStringList>

#include <limits>

namespace {

// A decimal count within [low, high]; leading zeros are not taken as octal, nor 0x as hex.
std::optional<quint32> number(const QString& text, quint32 low, quint32 high) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return quint32(value);
}

std::optional<StickUSBState> usbState(const QString& text) {
    if (text == QLatin1String("no-host"))
        return StickUSBState{StickUSBState::NoHost{}};
    if (text == QLatin1String("host-idle"))
        return StickUSBState{StickUSBState::HostIdle{}};
    if (text == QLatin1String("host-active"))
        return StickUSBState{StickUSBState::HostActive{}};
    if (text == QLatin1String("swapping"))
        return StickUSBState{StickUSBState::Swapping{}};
    return std::nullopt;
}

} // namespace

bool SimulatorSetup::addFault(const QString& spec) {
    const qsizetype equals = spec.indexOf(QLatin1Char('='));
    const QString name = equals < 0 ? spec : spec.left(equals);
    const std::optional<QString> value =
        equals < 0 ? std::nullopt : std::optional<QString>(spec.mid(equals + 1));

    if (!value) {
        if (name == QLatin1String("corrupt-readback"))
            faults.corruptReadback = true;
        else if (name == QLatin1String("drop-link-after-commit"))
            faults.dropLinkAfterCommit = true;
        else
            return false;
        return true;
    }
    if (name == QLatin1String("usb")) {
        usbState = ::usbState(*value);
        return usbState.has_value();
    }
    using Faults = LoopbackStick::Faults;
    constexpr quint32 anyOffset = std::numeric_limits<quint32>::max();
    // The lowest ATT MTU a link may have; the stick itself refuses anything at 184 or below.
    constexpr quint32 lowestMTU = 23;
    const struct {
        QLatin1StringView name;
        quint32 low;
        quint32 high;
        void (*set)(Faults&, quint32);
    } numeric[] = {
        {QLatin1StringView("drop-chunk"), 0, anyOffset,
         [](Faults& f, quint32 n) { f.dropChunksAt.insert(n); }},
        {QLatin1StringView("host-busy-commits"), 0, quint32(std::numeric_limits<int>::max()),
         [](Faults& f, quint32 n) { f.hostBusyCommits = int(n); }},
        {QLatin1StringView("corrupt-staged"), 0, anyOffset,
         [](Faults& f, quint32 n) { f.corruptStagedByteAt = n; }},
        {QLatin1StringView("mtu"), lowestMTU, 65535, [](Faults& f, quint32 n) { f.mtu = int(n); }},
        {QLatin1StringView("protocol-major"), 0, 255,
         [](Faults& f, quint32 n) { f.protocolMajor = quint8(n); }},
    };
    for (const auto& field : numeric) {
        if (name != field.name)
            continue;
        const std::optional<quint32> n = number(*value, field.low, field.high);
        if (!n)
            return false;
        field.set(faults, *n);
        return true;
    }
    return false;
}
