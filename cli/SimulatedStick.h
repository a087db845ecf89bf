#pragma once

#include "SendKit/loopback/LoopbackFolder.h"
#include "cli/SimulatorSetup.h"

#include <memory>
#include <optional>

class Clock;
class LoopbackStick;
class SimulatedRadio;

// What --simulate puts on the air: the simulated radio with one stick named "Brindle Sim", set up
// with the radio model, the Bluetooth state, the faults and the machine state asked for, its files
// loaded from and kept in a folder when one is given.
class SimulatedStick {
public:
    static constexpr char deviceName[] = "Brindle Sim";

    // Loads the folder, if any; throws std::runtime_error when it cannot.
    SimulatedStick(const SimulatorSetup& setup, Clock& clock);
    ~SimulatedStick();
    SimulatedStick(const SimulatedStick&) = delete;
    SimulatedStick& operator=(const SimulatedStick&) = delete;

    const std::shared_ptr<SimulatedRadio>& radio() const { return m_radio; }
    // Writes the stick's changed files back to the folder, if any. Throws std::runtime_error.
    void save();

private:
    std::shared_ptr<LoopbackStick> m_stick;
    std::optional<LoopbackFolder> m_folder;
    std::shared_ptr<SimulatedRadio> m_radio;
};
