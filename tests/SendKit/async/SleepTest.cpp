#include "SendKit/async/Clock.h"

#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(Sleep, sleepsForTheDelayUnlessAStopEndsItEarlyAndCancelsItsTimer) {
    TestHarness harness;
    EXPECT_TRUE(harness.run(sleepFor(harness.clock(), 60s)));
    EXPECT_EQ(harness.now(), 60s);

    std::stop_source stop;
    auto sleeping = harness.start(sleepFor(harness.clock(), 10s, stop.get_token()));
    harness.advance(4s);
    stop.request_stop();
    EXPECT_FALSE(sleeping.isDone()); // the wake-up is posted, not run inside request_stop()
    EXPECT_FALSE(harness.run(sleeping));
    EXPECT_EQ(harness.now(), 64s);
    EXPECT_EQ(harness.clock().timerCount(), 0u);
    // Already stopped: no suspension at all.
    EXPECT_FALSE(harness.runWithoutSuspending(sleepFor(harness.clock(), 1s, stop.get_token())));
}
