#include "SendKit/async/OneShot.h"

#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

TEST(OneShot, resumesAnAwaitingTask) {
    TestHarness harness;
    OneShot<int> shot;
    auto running =
        harness.start([](OneShot<int> s) -> QCoro::Task<int> { co_return co_await s; }(shot));
    EXPECT_FALSE(running.isDone());
    shot.resume(7);
    EXPECT_EQ(harness.run(running), 7);
}
