#include "SendKit/bluetooth/simulated/SimulatedRadio.h"

#include "SendKit/async/Executor.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickProtocol.h"

#include <algorithm>

SimulatedRadio::SimulatedRadio(Clock& clock, RadioModel model)
    : m_clock(clock)
    , m_model(model)
    , m_random(model.seed) {}

SimulatedRadio::~SimulatedRadio() {
    for (const auto& peripheral : m_peripherals)
        peripheral->detachFromRadio();
}

std::shared_ptr<SimulatedPeripheral> SimulatedRadio::addStick(std::shared_ptr<LoopbackStick> stick,
                                                              SimulatedPeripheral::Setup setup) {
    auto peripheral =
        std::make_shared<SimulatedPeripheral>(*this, std::move(stick), std::move(setup));
    m_peripherals.append(peripheral);
    return peripheral;
}

void SimulatedRadio::setManagerState(BluetoothManagerState state) {
    if (state == m_state)
        return;
    m_state = state;
    if (!m_started)
        return;
    post([](Delegate& delegate) { delegate.didUpdateState(); });
    if (state == BluetoothManagerState::PoweredOn)
        return;
    // The adapter is gone: scanning stops and every connection ends with it.
    stopScan();
    for (const auto& peripheral : m_peripherals)
        peripheral->dropForPowerOff();
}

void SimulatedRadio::start(std::weak_ptr<Delegate> delegate) {
    m_delegate = std::move(delegate);
    m_started = true;
    post([](Delegate& delegate) { delegate.didUpdateState(); });
}

BluetoothManagerState SimulatedRadio::state() const {
    return m_started ? m_state : BluetoothManagerState::Unknown;
}

void SimulatedRadio::scanForPeripherals(QUuid service) {
    if (state() != BluetoothManagerState::PoweredOn || service != StickProtocol::serviceUUID)
        return;
    scheduleSightings(m_model.firstSighting);
}

void SimulatedRadio::stopScan() {
    m_sightingTimer.cancel();
}

void SimulatedRadio::scheduleSightings(std::chrono::nanoseconds delay) {
    m_sightingTimer = m_clock.schedule(delay, [this] {
        // A stick that is connected no longer advertises; one out of range is never seen.
        for (const auto& peripheral : m_peripherals) {
            if (!peripheral->setup().advertising || peripheral->setup().connectedToSystem ||
                peripheral->state() != BluetoothPeripheralState::Disconnected)
                continue;
            post([peripheral, rssi = peripheral->signalStrength()](Delegate& delegate) {
                delegate.didDiscover(peripheral, peripheral->name(), rssi);
            });
        }
        scheduleSightings(m_model.sightingInterval);
    });
}

QList<std::shared_ptr<BluetoothPeripheral>>
SimulatedRadio::retrieveConnectedPeripherals(QUuid service) {
    QList<std::shared_ptr<BluetoothPeripheral>> connected;
    if (state() != BluetoothManagerState::PoweredOn || service != StickProtocol::serviceUUID)
        return connected;
    for (const auto& peripheral : m_peripherals) {
        if (peripheral->setup().connectedToSystem && !peripheral->setup().lacksStickService)
            connected.append(peripheral);
    }
    return connected;
}

QList<std::shared_ptr<BluetoothPeripheral>> SimulatedRadio::retrievePeripherals(QUuid identifier) {
    QList<std::shared_ptr<BluetoothPeripheral>> known;
    for (const auto& peripheral : m_peripherals) {
        if (peripheral->identifier() == identifier)
            known.append(peripheral);
    }
    return known;
}

void SimulatedRadio::connect(std::shared_ptr<BluetoothPeripheral> peripheral) {
    if (const auto simulated = find(peripheral))
        simulated->connect();
}

void SimulatedRadio::cancelConnection(std::shared_ptr<BluetoothPeripheral> peripheral) {
    if (const auto simulated = find(peripheral))
        simulated->cancelConnection();
}

void SimulatedRadio::setPairingPrompt(std::shared_ptr<StickPairingPrompt> prompt) {
    m_prompt = std::move(prompt);
}

void SimulatedRadio::post(std::function<void(Delegate&)> work) const {
    Executor::post([delegate = m_delegate, work = std::move(work)] {
        if (const auto receiver = delegate.lock())
            work(*receiver);
    });
}

std::shared_ptr<SimulatedPeripheral>
SimulatedRadio::find(const std::shared_ptr<BluetoothPeripheral>& peripheral) const {
    const auto found = std::find(m_peripherals.begin(), m_peripherals.end(), peripheral);
    return found == m_peripherals.end() ? nullptr : *found;
}
