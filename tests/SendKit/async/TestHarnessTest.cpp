#include "tests/support/TestHarness.h"

#include "SendKit/async/OneShot.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace std::chrono_literals;

namespace {

QCoro::Task<int> awaitInt(OneShot<int> shot) {
    co_return co_await shot;
}

QCoro::Task<int> sleepThenAnswer(Clock& clock, std::chrono::nanoseconds delay, int answer) {
    co_await sleepFor(clock, delay);
    co_return answer;
}

QCoro::Task<void> failAfter(Clock& clock, std::chrono::nanoseconds delay) {
    co_await sleepFor(clock, delay);
    throw std::runtime_error(std::to_string(delay.count()));
}

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

TEST(TestHarness, runsATaskToItsValueOrRethrowsItsException) {
    TestHarness harness;
    EXPECT_EQ(harness.run(sleepThenAnswer(harness.clock(), 2s, 42)), 42);
    EXPECT_EQ(harness.now(), 2s);
    EXPECT_THROW(harness.run(failAfter(harness.clock(), 1s)), std::runtime_error);
    EXPECT_EQ(harness.now(), 3s);
}

TEST(TestHarness, reportsADeadlockInsteadOfHanging) {
    TestHarness harness;
    harness.advance(5s);
    OneShot<int> never;
    auto stuck = harness.start(awaitInt(never));
    expectFailure([&] { harness.run(stuck); }, "deadlock at 5.000 s: the task has not finished");
    EXPECT_EQ(harness.now(), 5s);
    never.resume(1); // lets the coroutine end, so that nothing leaks
    EXPECT_EQ(harness.run(stuck), 1);
}

TEST(TestHarness, stopsARunThatOnlyTimersKeepAlive) {
    TestHarness harness;
    harness.setTimeLimit(1h);
    std::stop_source stop;
    auto ticking = [](Clock& clock, std::stop_token stop) -> QCoro::Task<> {
        while (co_await sleepFor(clock, 1s, stop)) {
        }
    };
    auto ticker = harness.start(ticking(harness.clock(), stop.get_token()));
    expectFailure([&] { harness.run(ticker); }, "time limit");
    EXPECT_LE(harness.now(), 1h);
    stop.request_stop();
    harness.run(ticker);
}
