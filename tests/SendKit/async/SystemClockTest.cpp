#include "SendKit/async/SystemClock.h"

#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QStringList>

using namespace std::chrono_literals;

// This runs the real event loop for a few milliseconds: it checks the wiring to Qt's timers,
// never a protocol time-out.
TEST(SystemClock, runsScheduledWorkFromTheEventLoopInDueOrder) {
    TestHarness harness; // for the application object
    ClockTimer survivor;
    {
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
        survivor = clock.schedule(1h, [] {});
    }
    EXPECT_FALSE(survivor.isActive()); // a handle may outlive its clock
}
