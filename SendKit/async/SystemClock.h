#pragma once

#include "SendKit/async/Clock.h"

#include <memory>

// The clock of production: CLOCK_BOOTTIME for readings, Qt timers of the event loop for
// scheduled work. Must be used from the main thread.
class SystemClock : public Clock {
public:
    SystemClock();
    ~SystemClock() override;
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;

    std::chrono::nanoseconds now() const override;
    ClockTimer schedule(std::chrono::nanoseconds delay, std::function<void()> work) override;

private:
    class Timers;
    std::shared_ptr<Timers> m_timers;
};
