#include "tests/support/TestHarness.h"

#include "SendKit/async/AsyncQueue.h"
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

TEST(TestHarness, runsTasksConcurrently) {
    TestHarness harness;
    OneShot<void> gate;
    auto opener = [](Clock& clock, OneShot<void> gate) -> QCoro::Task<> {
        co_await sleepFor(clock, 3s);
        gate.resume();
    };
    auto waiter = [](OneShot<void> gate, Clock& clock) -> QCoro::Task<std::chrono::nanoseconds> {
        co_await gate;
        co_return clock.now();
    };
    auto [opened, passedAt, answer] =
        harness.runAll(opener(harness.clock(), gate), waiter(gate, harness.clock()),
                       sleepThenAnswer(harness.clock(), 1s, 7));
    EXPECT_EQ(opened, std::monostate{});
    EXPECT_EQ(passedAt, 3s);
    EXPECT_EQ(answer, 7);

    // Of several failures, the first in argument order is rethrown, after all have finished.
    auto failures = [&] {
        harness.runAll(failAfter(harness.clock(), 2s), failAfter(harness.clock(), 1s));
    };
    try {
        failures();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), std::to_string(std::chrono::nanoseconds(2s).count()));
    }
    EXPECT_EQ(harness.now(), 5s);
}

TEST(TestHarness, canRequireThatNoTimePassesOrThatNothingSuspends) {
    TestHarness harness;
    OneShot<int> posted;
    Executor::post([posted]() mutable { posted.resume(3); });
    EXPECT_EQ(harness.runWithoutTime(awaitInt(posted)), 3);

    expectFailure([&] { harness.runWithoutTime(sleepThenAnswer(harness.clock(), 1s, 0)); },
                  "needs time: the task waits for a timer due at 1.000 s");
    EXPECT_EQ(harness.now(), 0s);
    harness.advance(1s); // lets the sleeper end, so that nothing leaks

    OneShot<int> ready;
    ready.resume(4);
    EXPECT_EQ(harness.runWithoutSuspending(awaitInt(ready)), 4);
    OneShot<int> notReady;
    expectFailure([&] { harness.runWithoutSuspending(awaitInt(notReady)); }, "suspended");
    notReady.resume(0);
}

TEST(TestHarness, advanceRunsTimersInOrderWithTheirPostedWorkInBetween) {
    TestHarness harness;
    AsyncQueue<QString> events;
    QStringList trace;
    auto consumer = [](AsyncQueue<QString> events, QStringList& trace) -> QCoro::Task<> {
        while (auto event = co_await events.next())
            trace << *event;
    };
    auto reader = harness.start(consumer(events, trace));
    auto first = harness.clock().schedule(1s, [&] { events.push("1s"); });
    auto second = harness.clock().schedule(2s, [&] {
        trace << "timer 2s";
        events.push("2s");
    });
    auto later = harness.clock().schedule(10s, [&] { events.push("10s"); });
    harness.advance(2s);
    EXPECT_EQ(trace, (QStringList{"1s", "timer 2s", "2s"}));
    EXPECT_EQ(harness.now(), 2s);
    harness.advance(7s);
    EXPECT_EQ(harness.now(), 9s);
    EXPECT_TRUE(later.isActive());
    events.finish();
    harness.run(reader);
}

TEST(TestHarness, runsLeftoverPostedWorkWhenItEnds) {
    bool ran = false;
    {
        TestHarness harness;
        Executor::post([&] { ran = true; });
    }
    EXPECT_TRUE(ran);
}
