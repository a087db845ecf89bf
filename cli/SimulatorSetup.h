#pragma once

#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickUSBState.h"

#include <QString>

#include <optional>

// How the simulated stick starts a run: the folder its files live in between runs (none: it
// starts empty and forgets them), and the faults and machine state it is given before the
// command.
struct SimulatorSetup {
    std::optional<QString> folder;
    LoopbackStick::Faults faults;
    std::optional<StickUSBState> usbState;

    // Switches on what one fault spec names: drop-chunk=OFFSET, host-busy-commits=N,
    // corrupt-staged=OFFSET, corrupt-readback, drop-link-after-commit, mtu=N, protocol-major=N or
    // usb=STATE (no-host, host-idle, host-active, swapping). False for a spec it cannot read.
    bool addFault(const QString& spec);
};
