#pragma once

#include "SendKit/async/Executor.h"
#include "SendKit/bluetooth/BluetoothPlatform.h"
#include "SendKit/protocol/StickProtocol.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <optional>

// A Bluetooth platform whose devices and answers the test sets, typed: each operation answers
// at once with success or an error, or stays silent. Every callback is posted, as a real
// platform's is. Bluetooth is on, and there is one stick that has the whole service.
class ScriptedPlatform : public BluetoothPlatform {
public:
    // How one operation is answered.
    struct Answer {
        std::optional<BluetoothPlatformError> error;
        bool silent = false;
    };

    // Calls the delegate from the event loop, if it is still there, unless the answer is silence.
    template <class D, class... Parameters, class... Arguments>
    static void post(const Answer& answer, std::weak_ptr<D> weak, void (D::*call)(Parameters...),
                     Arguments... arguments) {
        if (!answer.silent)
            Executor::post([=] {
                if (const auto delegate = weak.lock())
                    ((*delegate).*call)(arguments...);
            });
    }

    // A device of the script. Reading Reply is the pairing; reading Diagnostics gives diagnostics.
    class Device : public BluetoothPeripheral {
    public:
        QList<QUuid> serviceList{StickProtocol::serviceUUID};
        QList<BluetoothCharacteristic> characteristicList{{StickProtocol::controlUUID},
                                                          {StickProtocol::replyUUID},
                                                          {StickProtocol::dataUUID},
                                                          {StickProtocol::diagnosticsUUID}};
        Answer connectAnswer, pairAnswer, subscribeAnswer, writeAnswer, diagnosticsAnswer;
        QByteArray diagnostics;
        bool canSend = true;
        QList<QByteArray> controlWrites, dataWrites;

        void notify(const QByteArray& frame) {
            post({}, m_delegate, &Delegate::didUpdateValue, StickProtocol::replyUUID,
                 std::optional(frame), std::optional<BluetoothPlatformError>());
        }
        void readyToSend() { post({}, m_delegate, &Delegate::isReadyToSendWriteWithoutResponse); }

        QUuid identifier() const override { return m_id; }
        std::optional<QString> name() const override { return QStringLiteral("Brindle 4F2A"); }
        BluetoothPeripheralState state() const override { return {}; }
        void setDelegate(std::weak_ptr<Delegate> delegate) override { m_delegate = delegate; }
        void discoverServices(QList<QUuid>) override {
            post({}, m_delegate, &Delegate::didDiscoverServices, std::nullopt);
        }
        std::optional<QList<QUuid>> services() const override { return serviceList; }
        void discoverCharacteristics(QList<QUuid>, QUuid service) override {
            post({}, m_delegate, &Delegate::didDiscoverCharacteristics, service, std::nullopt);
        }
        std::optional<QList<BluetoothCharacteristic>> characteristics(QUuid) const override {
            return characteristicList;
        }
        void readValue(QUuid characteristic) override;
        void setNotifyValue(bool enabled, QUuid characteristic) override {
            post(subscribeAnswer, m_delegate, &Delegate::didUpdateNotificationState, characteristic,
                 enabled && !subscribeAnswer.error, subscribeAnswer.error);
        }
        void writeValue(QByteArray value, QUuid characteristic, BluetoothWriteType type) override;
        bool canSendWriteWithoutResponse() const override { return canSend; }
        int maximumWriteValueLength(BluetoothWriteType) const override { return 244; }

    private:
        const QUuid m_id = QUuid::createUuid();
        std::weak_ptr<Delegate> m_delegate;
    };

    std::shared_ptr<Device> stick = std::make_shared<Device>();
    QList<std::shared_ptr<Device>> connectedDevices; // connected to the system already
    bool reportsCancel = true;                       // a cancelled connection is reported gone
    bool scanning = false;
    BluetoothManagerState managerState = BluetoothManagerState::PoweredOn;

    void advertise(std::shared_ptr<BluetoothPeripheral> device, std::optional<QString> name,
                   int rssi) {
        post({}, m_delegate, &Delegate::didDiscover, device, name, rssi);
    }
    void drop(std::shared_ptr<BluetoothPeripheral> device,
              std::optional<BluetoothPlatformError> error) {
        post({}, m_delegate, &Delegate::didDisconnect, device, error);
    }

    void start(std::weak_ptr<Delegate> delegate) override { m_delegate = delegate; }
    BluetoothManagerState state() const override { return managerState; }
    void scanForPeripherals(QUuid) override { scanning = true; }
    void stopScan() override { scanning = false; }
    QList<std::shared_ptr<BluetoothPeripheral>> retrieveConnectedPeripherals(QUuid) override {
        return {connectedDevices.begin(), connectedDevices.end()};
    }
    QList<std::shared_ptr<BluetoothPeripheral>> retrievePeripherals(QUuid id) override {
        return id == stick->identifier() ? QList<std::shared_ptr<BluetoothPeripheral>>{stick}
                                         : QList<std::shared_ptr<BluetoothPeripheral>>{};
    }
    void connect(std::shared_ptr<BluetoothPeripheral> peripheral) override;
    void cancelConnection(std::shared_ptr<BluetoothPeripheral> peripheral) override {
        post({{}, !reportsCancel}, m_delegate, &Delegate::didDisconnect, peripheral, std::nullopt);
    }
    void setPairingPrompt(std::shared_ptr<StickPairingPrompt>) override {}

private:
    std::weak_ptr<Delegate> m_delegate;
};
