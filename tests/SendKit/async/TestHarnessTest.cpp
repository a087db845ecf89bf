#include "tests/support/TestHarness.h"

#include "SendKit/async/OneShot.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Checks that the run fails as a run, with a message that says why.
void expectFailure(const std::function<void()>& run, const std::string& expected) {
    try {
        run();
        ADD_FAILURE() << "the run did not fail";
    } catch (const HarnessFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find(expected), std::string::npos) << failure.what();
    }
}

} // namespace

TEST(TestHarness, reportsADeadlockOrARunOnlyTimersKeepAliveInsteadOfHanging) {
    TestHarness harness;
    harness.advance(5s);
    OneShot<void> never;
    auto stuck = harness.start([](OneShot<void> shot) -> QCoro::Task<> { co_await shot; }(never));
    expectFailure([&] { harness.run(stuck); }, "deadlock at 5.000 s: the task has not finished");
    EXPECT_EQ(harness.now(), 5s);
    never.resume(); // lets the coroutine end, so that nothing leaks
    harness.run(stuck);

    harness.setTimeLimit(1h);
    std::stop_source stop;
    auto ticker = harness.start([](Clock& clock, std::stop_token stop) -> QCoro::Task<> {
        while (co_await sleepFor(clock, 1s, stop)) {
        }
    }(harness.clock(), stop.get_token()));
    expectFailure([&] { harness.run(ticker); }, "time limit");
    EXPECT_LE(harness.now(), 5s + 1h); // the limit counts from the start of the run
    stop.request_stop();
    harness.run(ticker);
}
