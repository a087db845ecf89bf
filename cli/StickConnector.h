#pragma once

#include "SendKit/session/StickSession.h"

#include <QCoroTask>

#include <memory>

class Clock;
struct CommandLine;

// Where the commands get their sessions from, whatever the stick is: the simulated stick now, a
// Bluetooth stick later. The connector owns the links under the sessions it hands out.
class StickConnector {
public:
    virtual ~StickConnector() = default;

    // The connector the command line chose. Throws what setting it up throws (the simulated
    // stick's folder may not load).
    static std::unique_ptr<StickConnector> create(const CommandLine& line, Clock& clock);

    // A session over a new link to the stick. The link of the session handed out before, if any,
    // is closed first: the send flow reconnects this way after a link lost during COMMIT.
    // Throws StickError.
    virtual QCoro::Task<std::shared_ptr<StickSession>> connect() = 0;

    // Closes the open link and keeps whatever the stick keeps between runs. Throws what keeping
    // it throws.
    virtual QCoro::Task<void> close() = 0;
};
