#include "cli/StickConnector.h"

#include "cli/CommandLine.h"
#include "cli/SimulatedConnector.h"

std::unique_ptr<StickConnector> StickConnector::create(const CommandLine& line, Clock& clock) {
    // The command line insists on a backend, and the simulated stick is the only one so far.
    return std::make_unique<SimulatedConnector>(*line.simulator, clock);
}
