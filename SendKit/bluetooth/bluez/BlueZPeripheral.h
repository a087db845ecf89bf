#pragma once

#include "SendKit/bluetooth/BluetoothPeripheral.h"

#include <QCoro/QCoroTask>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <map>
#include <memory>

class BlueZBus;
class QDBusMessage;
class QSocketNotifier;

// One remote device as bluetoothd shows it: a Device1 object and the GattService1 and
// GattCharacteristic1 objects below it. Reads pair first through our own agent when the device
// is not paired; notifications and data writes go through the sockets bluetoothd hands out
// (AcquireNotify, AcquireWrite), or through StartNotify and WriteValue where it hands out none.
// The platform connects and disconnects it and passes on the changes of its objects.
class BlueZPeripheral : public BluetoothPeripheral,
                        public std::enable_shared_from_this<BlueZPeripheral> {
public:
    BlueZPeripheral(std::shared_ptr<BlueZBus> bus, QString path);
    ~BlueZPeripheral() override;
    BlueZPeripheral(const BlueZPeripheral&) = delete;
    BlueZPeripheral& operator=(const BlueZPeripheral&) = delete;

    const QString& path() const { return m_path; }

    QUuid identifier() const override;
    std::optional<QString> name() const override;
    BluetoothPeripheralState state() const override { return m_state; }
    void setDelegate(std::weak_ptr<Delegate> delegate) override;

    void discoverServices(QList<QUuid> services) override;
    std::optional<QList<QUuid>> services() const override { return m_services; }
    void discoverCharacteristics(QList<QUuid> characteristics, QUuid service) override;
    std::optional<QList<BluetoothCharacteristic>> characteristics(QUuid service) const override;

    void readValue(QUuid characteristic) override;
    void setNotifyValue(bool enabled, QUuid characteristic) override;
    void writeValue(QByteArray value, QUuid characteristic, BluetoothWriteType type) override;
    bool canSendWriteWithoutResponse() const override;
    int maximumWriteValueLength(BluetoothWriteType type) const override;

    // For the platform, which owns connecting and disconnecting.
    void setState(BluetoothPeripheralState state) { m_state = state; }
    // The device or one of its GATT objects changed properties (already in the object tree).
    void propertiesChanged(const QString& path, const QVariantMap& changed);
    // The connection is gone: sockets are closed and a new connection discovers again.
    void connectionEnded();

private:
    // A socket bluetoothd handed out for one characteristic, with its MTU.
    struct Acquired {
        int fd = -1;
        int mtu = 0;
        std::unique_ptr<QSocketNotifier> notifier;
        ~Acquired();
    };

    std::optional<QString> characteristicPath(QUuid characteristic) const;
    // Runs the call on the characteristic; an absent characteristic answers with an error reply.
    QCoro::Task<QDBusMessage> callCharacteristic(QUuid characteristic, QString method,
                                                 QVariantList arguments);
    void reportServices();
    void post(std::function<void(Delegate&)> callback);

    static QCoro::Task<void> read(std::shared_ptr<BlueZPeripheral> self, QUuid characteristic);
    static QCoro::Task<void> subscribe(std::shared_ptr<BlueZPeripheral> self, bool enabled,
                                       QUuid characteristic);
    static QCoro::Task<void> resolveCharacteristics(std::shared_ptr<BlueZPeripheral> self,
                                                    QList<QUuid> wanted, QUuid service);
    static QCoro::Task<void> write(std::shared_ptr<BlueZPeripheral> self, QByteArray value,
                                   QUuid characteristic, BluetoothWriteType type);
    // Takes the socket out of the reply to AcquireNotify or AcquireWrite.
    static std::unique_ptr<Acquired> acquired(const QDBusMessage& reply);

    void receiveNotifications(QUuid characteristic);
    // Hands on the notifications held back, unless a write with response is still unanswered:
    // the stick answers a request only after its write, but that write's reply reaches us by a
    // longer way than the answer does.
    void deliverHeld();
    // Writes what waits for the acquired data socket; false while the socket is full.
    bool flush();

    std::shared_ptr<BlueZBus> m_bus;
    QString m_path;
    std::weak_ptr<Delegate> m_delegate;
    BluetoothPeripheralState m_state = BluetoothPeripheralState::Disconnected;
    std::optional<QList<QUuid>> m_servicesWanted;
    std::optional<QList<QUuid>> m_services;
    std::map<QUuid, QList<BluetoothCharacteristic>> m_characteristics;
    std::map<QUuid, std::unique_ptr<Acquired>> m_notifySockets;
    // Characteristics subscribed with StartNotify, whose Value changes are notifications.
    QSet<QUuid> m_valueNotifications;
    std::unique_ptr<Acquired> m_dataSocket;
    QUuid m_dataCharacteristic;
    QList<QByteArray> m_unsent;
    // Writes sent as WriteValue calls and not yet answered, with and without response.
    int m_requestsInFlight = 0;
    int m_commandsInFlight = 0;
    QList<std::pair<QUuid, QByteArray>> m_held;
    // Whether the delegate heard "no room" and waits for the ready callback.
    mutable bool m_readyWanted = false;
};
