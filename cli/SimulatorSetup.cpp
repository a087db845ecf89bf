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

std::optional<BluetoothManagerState> bluetoothState(const QString& text) {
    if (text == QLatin1String("off"))
        return BluetoothManagerState::PoweredOff;
    if (text == QLatin1String("unauthorized"))
        return BluetoothManagerState::Unauthorized;
    if (text == QLatin1String("unsupported"))
        return BluetoothManagerState::Unsupported;
    return std::nullopt;
}

// A spec's name and, after "=", its value.
std::pair<QString, std::optional<QString>> split(const QString& spec) {
    const qsizetype equals = spec.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {spec, std::nullopt};
    return {spec.left(equals), spec.mid(equals + 1)};
}

} // namespace

bool SimulatorSetup::addFault(const QString& spec) {
    const auto [name, value] = split(spec);
    using Pairing = SimulatedPeripheral::Pairing;
    if (!value) {
        if (name == QLatin1String("corrupt-readback"))
            faults.corruptReadback = true;
        else if (name == QLatin1String("drop-link-after-commit"))
            faults.dropLinkAfterCommit = true;
        else if (name == QLatin1String("pairing-rejected"))
            peripheral.pairing = Pairing::Rejected;
        else if (name == QLatin1String("stale-pairing"))
            peripheral.pairing = Pairing::Forgotten;
        else if (name == QLatin1String("no-diagnostics"))
            peripheral.lacksDiagnostics = true;
        else
            return false;
        return true;
    }
    if (name == QLatin1String("usb")) {
        usbState = ::usbState(*value);
        return usbState.has_value();
    }
    if (name == QLatin1String("bluetooth")) {
        const std::optional<BluetoothManagerState> state = bluetoothState(*value);
        bluetooth = state.value_or(bluetooth);
        return state.has_value();
    }
    if (name == QLatin1String("pairing")) {
        // Six digits, as the stick's display shows them.
        const std::optional<quint32> passkey =
            value->size() == 6 ? number(*value, 0, 999999) : std::nullopt;
        peripheral.pairing = Pairing::Passkey;
        peripheral.passkey = passkey;
        return passkey.has_value();
    }
    if (name == QLatin1String("drop-link-at")) {
        peripheral.dropLinkAtOffset = number(*value, 0, std::numeric_limits<quint32>::max());
        return peripheral.dropLinkAtOffset.has_value();
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

bool SimulatorSetup::setRadio(const QString& spec) {
    const auto [name, value] = split(spec);
    if (!value) {
        if (name != QLatin1String("instant"))
            return false;
        radio.instant = true;
        return true;
    }
    if (name == QLatin1String("phy")) {
        if (*value != QLatin1String("1m") && *value != QLatin1String("2m"))
            return false;
        radio.phy = *value == QLatin1String("1m") ? RadioModel::Phy::LE1M : RadioModel::Phy::LE2M;
        return true;
    }
    if (name == QLatin1String("drop-rate")) {
        bool ok = false;
        const double rate = value->toDouble(&ok);
        if (!ok || !(rate >= 0 && rate < 1))
            return false;
        radio.dropRate = rate;
        return true;
    }
    // The connection interval's range in Bluetooth LE: 7.5 ms to 4 s.
    if (name == QLatin1String("interval")) {
        const std::optional<quint32> ms = number(*value, 8, 4000);
        if (ms)
            radio.connectionInterval = std::chrono::milliseconds(*ms);
        return ms.has_value();
    }
    if (name == QLatin1String("mtu")) {
        const std::optional<quint32> mtu = number(*value, 23, 517);
        if (mtu)
            radio.attMtu = int(*mtu);
        return mtu.has_value();
    }
    return false;
}
