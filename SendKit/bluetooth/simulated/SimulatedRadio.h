#pragma once

#include "SendKit/async/Clock.h"
#include "SendKit/async/ClockTimer.h"
#include "SendKit/bluetooth/BluetoothPlatform.h"
#include "SendKit/bluetooth/simulated/RadioModel.h"
#include "SendKit/bluetooth/simulated/SimulatedPeripheral.h"

#include <QList>

#include <functional>
#include <memory>
#include <random>

class LoopbackStick;

// A Bluetooth LE central role around simulated sticks, so that the whole stack above the platform
// runs as it does over BlueZ: the computer's Bluetooth state, advertising sticks with signal
// strengths that vary between sightings, sticks already connected to the system, connections with
// their set-up delays, pairing through the pairing prompt, and the radio model's timing. Every
// callback comes from the event loop (posted or scheduled on the clock), never from inside the
// call that caused it; all time is the injected clock's, so under a manual clock a whole send is
// exact and takes no real time.
//
//     auto radio = std::make_shared<SimulatedRadio>(clock);
//     auto stick = radio->addStick(LoopbackStick::create("Brindle Sim"),
//                                  {.pairing = SimulatedPeripheral::Pairing::Passkey});
//     StickCentral central(radio, clock);
class SimulatedRadio : public BluetoothPlatform {
public:
    explicit SimulatedRadio(Clock& clock, RadioModel model = {});
    ~SimulatedRadio() override;
    SimulatedRadio(const SimulatedRadio&) = delete;
    SimulatedRadio& operator=(const SimulatedRadio&) = delete;

    // Puts a stick on the air (or, with setup.connectedToSystem, on the system's connections).
    std::shared_ptr<SimulatedPeripheral> addStick(std::shared_ptr<LoopbackStick> stick,
                                                  SimulatedPeripheral::Setup setup = {});
    const QList<std::shared_ptr<SimulatedPeripheral>>& sticks() const { return m_peripherals; }

    // Switches the computer's Bluetooth: the delegate hears the new state; leaving PoweredOn ends
    // every connection and the scan. Before start() it sets the state start() reports (PoweredOn
    // unless set otherwise).
    void setManagerState(BluetoothManagerState state);

    const RadioModel& model() const { return m_model; }
    Clock& clock() const { return m_clock; }

    // BluetoothPlatform
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
    friend class SimulatedPeripheral;

    // Posts the work to the delegate, if it is still there when the work runs.
    void post(std::function<void(Delegate&)> work) const;
    // Every advertising stick is sighted once per round while the scan runs.
    void scheduleSightings(std::chrono::nanoseconds delay);
    std::shared_ptr<SimulatedPeripheral> find(const std::shared_ptr<BluetoothPeripheral>& p) const;
    const std::shared_ptr<StickPairingPrompt>& pairingPrompt() const { return m_prompt; }
    std::mt19937& random() { return m_random; }

    Clock& m_clock;
    RadioModel m_model;
    std::mt19937 m_random;
    std::weak_ptr<Delegate> m_delegate;
    bool m_started = false;
    BluetoothManagerState m_state = BluetoothManagerState::PoweredOn;
    QList<std::shared_ptr<SimulatedPeripheral>> m_peripherals;
    std::shared_ptr<StickPairingPrompt> m_prompt;
    ClockTimer m_sightingTimer;
};
