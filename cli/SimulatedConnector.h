#pragma once

#include "cli/SimulatorSetup.h"
#include "cli/StickConnector.h"
#include "cli/StickFolder.h"

#include <memory>
#include <optional>

class LoopbackLink;
class LoopbackStick;

// The connector of --simulate: a LoopbackStick named "Brindle Sim", set up with the faults and
// machine state asked for, its files loaded from and kept in a folder when one is given.
class SimulatedConnector : public StickConnector {
public:
    static constexpr char deviceName[] = "Brindle Sim";

    // Loads the folder, if any; throws std::runtime_error when it cannot.
    SimulatedConnector(const SimulatorSetup& setup, Clock& clock);
    ~SimulatedConnector() override;

    QCoro::Task<std::shared_ptr<StickSession>> connect() override;
    // Closes the link and writes the stick's changed files back to the folder.
    QCoro::Task<void> close() override;

private:
    Clock& m_clock;
    std::shared_ptr<LoopbackStick> m_stick;
    std::optional<StickFolder> m_folder;
    std::shared_ptr<LoopbackLink> m_link;
};
