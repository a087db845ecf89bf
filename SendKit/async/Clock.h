#pragma once

#include "SendKit/async/ClockTimer.h"

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <stop_token>

// The source of time of everything that waits: production code gets a SystemClock, tests a
// ManualClock that a harness drives, so no time-out is ever waited for in real time.
class Clock {
public:
    virtual ~Clock() = default;

    // A monotonic reading that keeps running while the computer sleeps.
    virtual std::chrono::nanoseconds now() const = 0;

    // Runs the work once, from the event loop, after the delay (a delay of zero or less means as
    // soon as possible, never inline). The returned handle cancels it.
    virtual ClockTimer schedule(std::chrono::nanoseconds delay, std::function<void()> work) = 0;
};

// Sleeps for the delay on the clock. Returns true when the delay elapsed, false when the stop
// token was (or already is) stopped first.
QCoro::Task<bool> sleepFor(Clock& clock, std::chrono::nanoseconds delay, std::stop_token stop = {});
