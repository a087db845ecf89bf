#pragma once

#include "SendKit/async/Clock.h"
#include "SendKit/bluetooth/BluetoothPlatform.h"
#include "SendKit/bluetooth/StickConnectPhase.h"
#include "SendKit/bluetooth/StickScan.h"

#include <QCoro/QCoroTask>
#include <QUuid>

#include <functional>
#include <memory>

class BluetoothStickLink;

// The program's one Bluetooth LE central: waits for Bluetooth to be usable, scans for sticks,
// connects to one by its identifier and hands back an established link, and routes the
// platform's connection events to the links it made. The program makes one, with the platform it
// chose (BlueZ or the simulated radio) and its clock; nothing in the transport picks a platform.
// Everything runs on the event loop's thread.
class StickCentral {
public:
    using PhaseHandler = std::function<void(StickConnectPhase)>;

    // How long a new connection waits for the last connection of the same stick to end.
    static constexpr std::chrono::seconds disconnectWait{3};

    StickCentral(std::shared_ptr<BluetoothPlatform> platform, Clock& clock);
    ~StickCentral();
    StickCentral(const StickCentral&) = delete;
    StickCentral& operator=(const StickCentral&) = delete;

    // Waits until Bluetooth's state is settled; throws bluetoothOff, bluetoothUnauthorized or
    // bluetoothUnsupported unless it is powered on.
    QCoro::Task<void> ready();
    // Starts scanning for sticks (sticks already connected to the system first, signal 0).
    StickScan scan();
    // Connects to the stick and returns the established link; throws StickError. The phase
    // handler hears Connecting, then Securing.
    QCoro::Task<std::shared_ptr<BluetoothStickLink>> connect(QUuid id, PhaseHandler phase);
    // Waits at most disconnectWait for a closed link of that stick to be reported gone.
    QCoro::Task<void> awaitDisconnect(QUuid id);

    BluetoothPlatform& platform() const;
    Clock& clock() const;

private:
    class State;
    std::shared_ptr<State> m_state;
};
