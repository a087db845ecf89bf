#pragma once

#include "SendKit/async/ClockTimer.h"
#include "SendKit/bluetooth/BluetoothPeripheral.h"
#include "SendKit/bluetooth/simulated/HostileStick.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class LoopbackStick;
class SimulatedRadio;

// The GATT side of one LoopbackStick as the simulated radio carries it: the stick's service with
// Control, Reply, Data and Diagnostics, pairing by an encrypted read of Reply, request writes into
// the stick, data chunks through a bounded outgoing queue drained at the radio model's connection
// events, and the stick's frames back as Reply notifications. The stick's own logic answers every
// frame; this adds only the air between the two, and the radio's faults.
class SimulatedPeripheral : public BluetoothPeripheral,
                            public std::enable_shared_from_this<SimulatedPeripheral> {
public:
    enum class Pairing {
        NotRequired,
        // The stick shows a 6-digit passkey that must come back through the pairing prompt.
        Passkey,
        // The stick refuses to pair (it is not in pairing mode).
        Rejected,
        // The computer holds a bond the stick has forgotten: encryption fails with the
        // peer-removed-pairing error until the bond is removed here (forgetBond()).
        Forgotten,
    };

    using Hostility = HostileStick::Hostility;

    // How the stick shows itself and what goes wrong on the air. The one-shot faults (drop and
    // power-off offsets, drop at COMMIT) clear themselves when they fire.
    struct Setup {
        // The advertised name; the stick's own name when none.
        std::optional<QString> name{};
        // Stable for the stick on this computer; by default derived from the name.
        std::optional<QUuid> identifier{};
        // Mean signal strength in dBm; sightings vary by a few dB around it.
        int rssi = -58;
        // Out of range when false: never sighted, and a connection attempt never completes.
        bool advertising = true;
        // Already connected to the system through another program when the radio starts.
        bool connectedToSystem = false;
        Pairing pairing = Pairing::NotRequired;
        // The passkey the stick shows; a new random one for every attempt when none.
        std::optional<quint32> passkey{};
        // Already paired with this computer.
        bool bonded = false;
        // The device does not offer the stick's service at all.
        bool lacksStickService = false;
        // Firmware before 1.0.1: no Diagnostics characteristic.
        bool lacksDiagnostics = false;
        // The link drops (and the computer notices after the supervision time-out) when the data
        // chunk that carries this file offset goes on the air; the chunk is lost.
        std::optional<quint32> dropLinkAtOffset{};
        // The link drops right after a COMMIT request reached the stick: the stick stores the
        // file but its answer is lost.
        bool dropLinkAtCommit = false;
        // The computer's Bluetooth is switched off when the data chunk that carries this offset
        // goes on the air.
        std::optional<quint32> bluetoothOffAtOffset{};
        // Once the outgoing queue has been full, the ready-to-send callback never comes.
        bool readyNeverComes = false;
        // What the stick sends besides its answers, on every connection.
        Hostility hostility = Hostility::None;
    };

    // Made by SimulatedRadio::addStick only.
    SimulatedPeripheral(SimulatedRadio& radio, std::shared_ptr<LoopbackStick> stick, Setup setup);
    ~SimulatedPeripheral() override;
    SimulatedPeripheral(const SimulatedPeripheral&) = delete;
    SimulatedPeripheral& operator=(const SimulatedPeripheral&) = delete;

    const std::shared_ptr<LoopbackStick>& stick() const { return m_stick; }
    const Setup& setup() const { return m_setup; }
    // Changes take effect from the next thing that reads them.
    void setSetup(Setup setup) { m_setup = std::move(setup); }
    // The passkey on the stick's display while a pairing waits for it.
    std::optional<quint32> displayedPasskey() const { return m_displayedPasskey; }
    // Removes the stick from the computer's paired devices.
    void forgetBond();
    // Data chunks the radio dropped on the stick's side (the drop rate).
    qint64 droppedChunks() const { return m_droppedChunks; }
    // ATT value bytes the connection has delivered to the stick so far, over all connections.
    qint64 deliveredBytes() const { return m_deliveredBytes; }

    // BluetoothPeripheral
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

private:
    friend class SimulatedRadio;

    // A write on its way to the stick.
    struct Outgoing {
        QByteArray value;
        bool isData = false;
        int unsentBytes = 0;
    };

    // Used by the radio.
    void connect();
    void cancelConnection();
    void dropForPowerOff();
    void detachFromRadio();
    int signalStrength();

    void openStickConnection();
    // The radio loses the link: nothing crosses any more, and the computer notices only after
    // the supervision time-out.
    void loseLink();
    void stickEndedConnection();
    // Ends the stick's side of the connection and everything under way on the air.
    void closeStickSide();
    void noticeDisconnection(std::optional<BluetoothPlatformError> error,
                             std::chrono::nanoseconds after);
    void finishDisconnection(std::optional<BluetoothPlatformError> error);
    bool linkUp() const;

    int queuedData() const;
    void scheduleEvent();
    void runEvent();
    void deliver(const Outgoing& write);
    void deliverChunk(const QByteArray& frame);
    void notify(QByteArray frame);
    // Runs the work once the delay has passed, after every answer queued before it: what comes
    // back from the stick keeps its order.
    void answer(std::chrono::nanoseconds delay, std::function<void()> work);
    void drainAnswers();
    void toDelegate(std::function<void(Delegate&)> work) const;

    bool needsEncryption() const;
    // Reading Reply over an unencrypted link: encrypt with the bond, or pair first.
    void secure();
    void encrypt(std::chrono::nanoseconds after);
    void failPairing(std::chrono::nanoseconds after, BluetoothPlatformError error);
    QByteArray diagnosticsRecord() const;

    SimulatedRadio* m_radio;
    std::shared_ptr<LoopbackStick> m_stick;
    Setup m_setup;
    std::weak_ptr<Delegate> m_delegate;
    BluetoothPeripheralState m_state = BluetoothPeripheralState::Disconnected;
    // Bumped whenever the stick's side of a connection ends, so that its late work is ignored.
    quint64 m_generation = 0;
    std::optional<QUuid> m_stickConnection;
    std::chrono::nanoseconds m_connectedAt{};
    std::optional<std::chrono::nanoseconds> m_lastEvent;
    int m_mtu;
    std::optional<QList<QUuid>> m_services;
    std::optional<QList<BluetoothCharacteristic>> m_characteristics;
    bool m_notifying = false;
    bool m_encrypted = false;
    std::optional<quint32> m_displayedPasskey;
    std::stop_source m_pairingStop;
    bool m_readyWanted = false;
    HostileStick m_hostile; // of the current connection
    std::deque<Outgoing> m_outgoing;
    std::deque<std::pair<std::chrono::nanoseconds, std::function<void()>>> m_answers;
    QByteArray m_replyValue;
    ClockTimer m_connectTimer;
    ClockTimer m_eventTimer;
    ClockTimer m_answerTimer;
    ClockTimer m_disconnectTimer;
    // For the diagnostics record.
    quint8 m_pairingOutcome = 0;
    quint32 m_pairingStatus = 0;
    quint16 m_pairingAttempts = 0;
    qint64 m_droppedChunks = 0;
    qint64 m_acceptedBytes = 0;
    qint64 m_deliveredBytes = 0;
};
