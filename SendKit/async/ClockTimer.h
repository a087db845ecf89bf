#pragma once

#include <memory>

// A handle onto work scheduled on a Clock. It is move-only; destroying it or calling cancel()
// cancels the work if it has not run yet, so the owner of a time-out cancels it by dropping it.
class ClockTimer {
public:
    // What a clock gives each handle: how to cancel its entry and whether the entry still waits.
    class Entry {
    public:
        virtual ~Entry() = default;
        virtual void cancel() = 0;
        virtual bool isActive() const = 0;
    };

    ClockTimer() = default; // a handle onto nothing
    explicit ClockTimer(std::unique_ptr<Entry> entry);
    ClockTimer(ClockTimer&& other) noexcept = default;
    ClockTimer& operator=(ClockTimer&& other) noexcept; // cancels the work it held before
    ~ClockTimer();

    void cancel();
    // Whether the work is still waiting to run.
    bool isActive() const;

private:
    std::unique_ptr<Entry> m_entry;
};
