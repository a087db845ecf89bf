#pragma once

#include "SendKit/bluetooth/BluetoothPlatform.h"

#include <QDBusConnection>

#include <memory>

class Clock;

// The Bluetooth LE central role of a Linux computer: bluetoothd's Adapter1, Device1 and GATT
// objects on the system bus, with a pairing agent of our own so that the stick's passkey is typed
// into this program. Every call to bluetoothd is bounded in time on the clock, so a bluetoothd that
// never answers cannot hold up the transport.
class BlueZPlatform : public BluetoothPlatform {
public:
    explicit BlueZPlatform(Clock& clock, QDBusConnection bus = QDBusConnection::systemBus());
    ~BlueZPlatform() override;
    BlueZPlatform(const BlueZPlatform&) = delete;
    BlueZPlatform& operator=(const BlueZPlatform&) = delete;

    void start(std::weak_ptr<Delegate> delegate) override;
    BluetoothManagerState state() const override;

    void scanForPeripherals(QUuid service) override;
    void stopScan() override;
    QList<std::shared_ptr<BluetoothPeripheral>>
    retrieveConnectedPeripherals(QUuid service) override;
    QList<std::shared_ptr<BluetoothPeripheral>> retrievePeripherals(QUuid identifier) override;

    void connect(std::shared_ptr<BluetoothPeripheral> peripheral) override;
    void cancelConnection(std::shared_ptr<BluetoothPeripheral> peripheral) override;

    void setPairingPrompt(std::shared_ptr<StickPairingPrompt> prompt) override;

private:
    class State;
    std::shared_ptr<State> m_state;
};
