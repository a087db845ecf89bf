#pragma once

#include "SendKit/bluetooth/BluetoothManagerState.h"
#include "SendKit/bluetooth/simulated/RadioModel.h"
#include "SendKit/bluetooth/simulated/SimulatedPeripheral.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickUSBState.h"

#include <QString>

#include <optional>

// How the simulated radio and its stick start a run: the folder the stick's files live in between
// runs (none: it starts empty and forgets them), the radio's link model, the computer's Bluetooth
// state, and the faults and machine state the stick is given before the command.
struct SimulatorSetup {
    std::optional<QString> folder;
    RadioModel radio;
    BluetoothManagerState bluetooth = BluetoothManagerState::PoweredOn;
    SimulatedPeripheral::Setup peripheral;
    LoopbackStick::Faults faults;
    std::optional<StickUSBState> usbState;

    // Switches on what one fault spec names: drop-chunk=OFFSET, host-busy-commits=N,
    // corrupt-staged=OFFSET, corrupt-readback, drop-link-after-commit, mtu=N, protocol-major=N,
    // usb=STATE (no-host, host-idle, host-active, swapping), pairing=PASSKEY, pairing-rejected,
    // stale-pairing, no-diagnostics, bluetooth=off|unauthorized|unsupported or
    // drop-link-at=OFFSET. False for a spec it cannot read.
    bool addFault(const QString& spec);
    // Sets what one radio spec names: phy=1m|2m, interval=MS, mtu=N, drop-rate=FRACTION or
    // instant. False for a spec it cannot read.
    bool setRadio(const QString& spec);
};
