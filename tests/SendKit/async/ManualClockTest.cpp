#include "SendKit/async/ManualClock.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace std::chrono_literals;

namespace {

// Notes each run of scheduled work with the clock's time at that moment.
struct Log {
    explicit Log(ManualClock& clock)
        : clock(clock) {}
    ManualClock& clock;
    QStringList lines;
    std::function<void()> note(QString name) {
        return [this, name] {
            lines << QString("%1@%2").arg(name).arg(
                std::chrono::duration_cast<std::chrono::milliseconds>(clock.now()).count());
        };
    }
};

} // namespace

TEST(ManualClock, runsTimersInDueOrderAtTheirDueInstants) {
    ManualClock clock;
    Log log(clock);
    auto late = clock.schedule(3s, log.note("late"));
    auto early = clock.schedule(1s, log.note("early"));
    auto tie1 = clock.schedule(2s, log.note("tie1"));
    auto tie2 = clock.schedule(2s, log.note("tie2"));
    EXPECT_EQ(clock.timerCount(), 4u);
    EXPECT_EQ(clock.nextDue(), 1s);

    clock.advance(2500ms);
    EXPECT_EQ(log.lines, (QStringList{"early@1000", "tie1@2000", "tie2@2000"}));
    EXPECT_EQ(clock.now(), 2500ms);
    EXPECT_FALSE(early.isActive());
    EXPECT_TRUE(late.isActive());

    EXPECT_TRUE(clock.runNext());
    EXPECT_EQ(log.lines.last(), "late@3000");
    EXPECT_FALSE(clock.runNext());
    EXPECT_EQ(clock.nextDue(), std::nullopt);
}

TEST(ManualClock, workIsNeverRunInsideSchedule) {
    ManualClock clock(10s);
    Log log(clock);
    auto now = clock.schedule(0s, log.note("zero"));
    auto past = clock.schedule(-5s, log.note("negative"));
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_EQ(clock.nextDue(), 10s);
    clock.advance(0s);
    EXPECT_EQ(log.lines, (QStringList{"zero@10000", "negative@10000"}));
}

TEST(ManualClock, dropOrCancelOfTheHandleCancelsTheWork) {
    ManualClock clock;
    Log log(clock);
    { auto dropped = clock.schedule(1s, log.note("dropped")); }
    auto cancelled = clock.schedule(1s, log.note("cancelled"));
    cancelled.cancel();
    EXPECT_FALSE(cancelled.isActive());
    auto replaced = clock.schedule(1s, log.note("replaced"));
    replaced = clock.schedule(2s, log.note("replacement"));
    auto moved = clock.schedule(3s, log.note("moved"));
    ClockTimer holder(std::move(moved));
    EXPECT_EQ(clock.timerCount(), 2u);
    clock.advance(10s);
    EXPECT_EQ(log.lines, (QStringList{"replacement@2000", "moved@3000"}));
}

TEST(ManualClock, workScheduledByWorkRunsWithinTheSameAdvance) {
    ManualClock clock;
    Log log(clock);
    ClockTimer second;
    auto first = clock.schedule(1s, [&] {
        log.note("first")();
        second = clock.schedule(1s, log.note("second"));
    });
    // Work may also cancel a timer due at the same instant before it runs.
    ClockTimer doomed;
    auto canceller = clock.schedule(1s, [&] { doomed.cancel(); });
    doomed = clock.schedule(1s, log.note("doomed"));
    clock.advance(3s);
    EXPECT_EQ(log.lines, (QStringList{"first@1000", "second@2000"}));
}

TEST(ManualClock, aHandleMayOutliveItsClock) {
    ClockTimer survivor;
    {
        ManualClock clock;
        survivor = clock.schedule(1s, [] {});
        EXPECT_TRUE(survivor.isActive());
    }
    EXPECT_FALSE(survivor.isActive());
    survivor.cancel();
}
