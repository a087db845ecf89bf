#include "SendKit/async/ManualClock.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace std::chrono_literals;

namespace {

// Notes each run of scheduled work with the clock's time at that moment, in milliseconds.
struct Log {
    explicit Log(ManualClock& clock)
        : clock(clock) {}
    ManualClock& clock;
    QStringList lines;
    std::function<void()> note(QString name) {
        return [this, name] { lines << QString("%1@%2").arg(name).arg(clock.now() / 1ms); };
    }
};

} // namespace

TEST(ManualClock, runsTimersInDueOrderAtTheirDueInstantsNeverInsideSchedule) {
    ManualClock clock(1s);
    Log log(clock);
    auto late = clock.schedule(3s, log.note("late"));
    auto early = clock.schedule(1s, log.note("early"));
    auto tie1 = clock.schedule(2s, log.note("tie1"));
    auto tie2 = clock.schedule(2s, log.note("tie2"));
    auto past = clock.schedule(-5s, log.note("past"));
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_EQ(clock.nextDue(), 1s);

    clock.advance(2500ms);
    EXPECT_EQ(log.lines, (QStringList{"past@1000", "early@2000", "tie1@3000", "tie2@3000"}));
    EXPECT_EQ(clock.now(), 3500ms);
    EXPECT_TRUE(clock.runNext());
    EXPECT_EQ(clock.nextDue(), std::nullopt);

    // Work may schedule more work, or cancel work due at the same instant, within one advance.
    ClockTimer second, doomed;
    auto first = clock.schedule(1s, [&] {
        log.note("first")();
        second = clock.schedule(1s, log.note("second"));
    });
    auto canceller = clock.schedule(1s, [&] { doomed.cancel(); });
    doomed = clock.schedule(1s, log.note("doomed"));
    clock.advance(3s);
    EXPECT_EQ(log.lines.mid(5), (QStringList{"first@5000", "second@6000"}));
}

TEST(ManualClock, dropOrCancelOfTheHandleCancelsTheWork) {
    ClockTimer survivor;
    {
        ManualClock clock;
        Log log(clock);
        { auto dropped = clock.schedule(1s, log.note("dropped")); }
        auto cancelled = clock.schedule(1s, log.note("cancelled"));
        cancelled.cancel();
        auto replaced = clock.schedule(1s, log.note("replaced"));
        replaced = clock.schedule(2s, log.note("replacement"));
        ClockTimer moved(clock.schedule(3s, log.note("moved")));
        EXPECT_EQ(clock.timerCount(), 2u);
        clock.advance(10s);
        EXPECT_EQ(log.lines, (QStringList{"replacement@2000", "moved@3000"}));
        survivor = clock.schedule(1s, [] {});
    }
    EXPECT_FALSE(survivor.isActive()); // a handle may outlive its clock
    survivor.cancel();
}
