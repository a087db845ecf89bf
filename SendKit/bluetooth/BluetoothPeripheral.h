#pragma once

#include "SendKit/bluetooth/BluetoothPlatformError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

// One characteristic of a discovered service: its UUID and its GATT properties bit set
// (0x02 read, 0x04 write without response, 0x08 write, 0x10 notify, 0x20 indicate).
struct BluetoothCharacteristic {
    QUuid uuid;
    int properties = 0;
};

enum class BluetoothWriteType {
    WithResponse,
    WithoutResponse,
};

enum class BluetoothPeripheralState {
    Disconnected = 0,
    Connecting = 1,
    Connected = 2,
    Disconnecting = 3,
};

// A remote device as the platform's central role sees it: GATT discovery, reads, notifications
// and writes. Every operation only starts the work; its outcome arrives later as one call of the
// delegate, posted to the event loop, never from inside the operation that caused it. A
// peripheral of one service is enough for the stick, so characteristics are named by UUID alone.
class BluetoothPeripheral {
public:
    // Receives the peripheral's callbacks; held weakly, so a delegate that is gone hears nothing.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        // After discoverServices(); services() then lists what was found.
        virtual void didDiscoverServices(std::optional<BluetoothPlatformError> error) = 0;
        // After discoverCharacteristics(); characteristics(service) then lists what was found.
        virtual void didDiscoverCharacteristics(QUuid service,
                                                std::optional<BluetoothPlatformError> error) = 0;
        // After readValue(), and for every notification of a subscribed characteristic. The value
        // is absent when the platform has none (always absent with an error).
        virtual void didUpdateValue(QUuid characteristic, std::optional<QByteArray> value,
                                    std::optional<BluetoothPlatformError> error) = 0;
        // After setNotifyValue().
        virtual void didUpdateNotificationState(QUuid characteristic, bool isNotifying,
                                                std::optional<BluetoothPlatformError> error) = 0;
        // After each write with response.
        virtual void didWriteValue(QUuid characteristic,
                                   std::optional<BluetoothPlatformError> error) = 0;
        // The outgoing queue for writes without response has room again.
        virtual void isReadyToSendWriteWithoutResponse() = 0;
    };

    virtual ~BluetoothPeripheral() = default;

    // Stable for this device on this computer.
    virtual QUuid identifier() const = 0;
    // The name the system knows the device by, if any.
    virtual std::optional<QString> name() const = 0;
    virtual BluetoothPeripheralState state() const = 0;

    virtual void setDelegate(std::weak_ptr<Delegate> delegate) = 0;

    virtual void discoverServices(QList<QUuid> services) = 0;
    // The services found by the last discovery; none before any discovery.
    virtual std::optional<QList<QUuid>> services() const = 0;
    virtual void discoverCharacteristics(QList<QUuid> characteristics, QUuid service) = 0;
    // The characteristics found for the service; none before their discovery.
    virtual std::optional<QList<BluetoothCharacteristic>> characteristics(QUuid service) const = 0;

    // Reading an encrypted characteristic over an unpaired link makes the platform pair first.
    virtual void readValue(QUuid characteristic) = 0;
    virtual void setNotifyValue(bool enabled, QUuid characteristic) = 0;
    // A write without response is made only while canSendWriteWithoutResponse() is true or right
    // after isReadyToSendWriteWithoutResponse(); it has no callback.
    virtual void writeValue(QByteArray value, QUuid characteristic, BluetoothWriteType type) = 0;
    // Whether the outgoing queue for writes without response takes another write now.
    virtual bool canSendWriteWithoutResponse() const = 0;
    // The largest value one write of the type carries.
    virtual int maximumWriteValueLength(BluetoothWriteType type) const = 0;
};
