#pragma once

#include "SendKit/async/Clock.h"

#include <memory>
#include <optional>

// A clock whose time moves only when told to, for tests: a harness jumps it from one due timer
// to the next. Timers due at the same instant run in the order they were scheduled.
class ManualClock : public Clock {
public:
    explicit ManualClock(std::chrono::nanoseconds start = std::chrono::nanoseconds::zero());
    ~ManualClock() override;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    std::chrono::nanoseconds now() const override;
    ClockTimer schedule(std::chrono::nanoseconds delay, std::function<void()> work) override;

    // Moves time forward by the duration, running each timer that falls due on the way, with the
    // time set to its due instant.
    void advance(std::chrono::nanoseconds duration);
    // The due instant of the earliest waiting timer.
    std::optional<std::chrono::nanoseconds> nextDue() const;
    // Moves time to the earliest waiting timer (never backwards) and runs it; false when none.
    bool runNext();
    // Timers waiting to run.
    std::size_t timerCount() const;

private:
    class Timers;
    std::shared_ptr<Timers> m_timers;
};
