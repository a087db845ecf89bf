#pragma once

#include "SendKit/bluetooth/BluetoothManagerState.h"
#include "SendKit/bluetooth/BluetoothPeripheral.h"
#include "SendKit/bluetooth/BluetoothPlatformError.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

class StickPairingPrompt;

// The computer's Bluetooth LE central role: its state, scanning, the devices it knows, and
// connections. Implemented over BlueZ, by the simulated radio, and by the tests' scripted
// platform. Operations only start work; outcomes arrive as delegate calls posted to the event
// loop, never from inside the operation that caused them.
class BluetoothPlatform {
public:
    // Receives the platform's callbacks; held weakly.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        // On every change of state(), including the first settled state after start().
        virtual void didUpdateState() = 0;
        // A device advertising the scanned service was seen (again); the local name is the
        // advertised one, if the advertisement carried one.
        virtual void didDiscover(std::shared_ptr<BluetoothPeripheral> peripheral,
                                 std::optional<QString> localName, int rssi) = 0;
        virtual void didConnect(std::shared_ptr<BluetoothPeripheral> peripheral) = 0;
        virtual void didFailToConnect(std::shared_ptr<BluetoothPeripheral> peripheral,
                                      std::optional<BluetoothPlatformError> error) = 0;
        // The connection is gone, with the reason when the platform gives one.
        virtual void didDisconnect(std::shared_ptr<BluetoothPeripheral> peripheral,
                                   std::optional<BluetoothPlatformError> error) = 0;
    };

    virtual ~BluetoothPlatform() = default;

    // Starts using Bluetooth with this delegate; until then the state is Unknown and nothing is
    // reported. Called once.
    virtual void start(std::weak_ptr<Delegate> delegate) = 0;
    virtual BluetoothManagerState state() const = 0;

    // Reports each device advertising the service, without duplicates, until stopScan().
    virtual void scanForPeripherals(QUuid service) = 0;
    virtual void stopScan() = 0;
    // Devices offering the service that the system is connected to now, through any program.
    virtual QList<std::shared_ptr<BluetoothPeripheral>>
    retrieveConnectedPeripherals(QUuid service) = 0;
    // The device the system knows under the identifier, if any.
    virtual QList<std::shared_ptr<BluetoothPeripheral>> retrievePeripherals(QUuid identifier) = 0;

    // didConnect or didFailToConnect follows.
    virtual void connect(std::shared_ptr<BluetoothPeripheral> peripheral) = 0;
    // didDisconnect follows once the connection is gone.
    virtual void cancelConnection(std::shared_ptr<BluetoothPeripheral> peripheral) = 0;

    // Where a pairing asks the person for the stick's passkey or a number comparison.
    virtual void setPairingPrompt(std::shared_ptr<StickPairingPrompt> prompt) = 0;
};
