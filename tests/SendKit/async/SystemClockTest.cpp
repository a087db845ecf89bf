#include "SendKit/async/SystemClock.h"

#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QStringList>

#include <ctime>

using namespace std::chrono_literals;

// These run the real event loop for a few milliseconds: they check the wiring to Qt's timers,
// never a protocol time-out.

namespace {

std::chrono::nanoseconds bootTime() {
    timespec reading{};
    clock_gettime(CLOCK_BOOTTIME, &reading);
    return std::chrono::seconds(reading.tv_sec) + std::chrono::nanoseconds(reading.tv_nsec);
}

} // namespace

TEST(SystemClock, readsTheBootClock) {
    SystemClock clock;
    const auto before = bootTime();
    const auto reading = clock.now();
    EXPECT_GE(reading, before);
    EXPECT_LE(reading, bootTime());
}

TEST(SystemClock, runsScheduledWorkFromTheEventLoopInDueOrder) {
    TestHarness harness; // for the application object
    SystemClock clock;
    QStringList trace;
    QEventLoop loop;
    const auto start = clock.now();
    auto last = clock.schedule(20ms, [&] {
        trace << "20ms";
        loop.quit();
    });
    auto first = clock.schedule(0ms, [&] { trace << "0ms"; });
    auto cancelled = clock.schedule(5ms, [&] { trace << "cancelled"; });
    trace << "scheduled";
    cancelled.cancel();
    loop.exec();
    EXPECT_EQ(trace, (QStringList{"scheduled", "0ms", "20ms"}));
    EXPECT_GE(clock.now() - start, 20ms);
    EXPECT_FALSE(last.isActive());
}

TEST(SystemClock, aHandleMayOutliveItsClock) {
    TestHarness harness;
    ClockTimer survivor;
    {
        SystemClock clock;
        survivor = clock.schedule(1h, [] {});
        EXPECT_TRUE(survivor.isActive());
    }
    EXPECT_FALSE(survivor.isActive());
}
