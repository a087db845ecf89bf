#include "SendKit/async/OneShot.h"

#include "tests/SendKit/async/DestroyableCoroutine.h"
#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace {

QCoro::Task<int> awaitInt(OneShot<int> shot) {
    co_return co_await shot;
}

QCoro::Task<void> awaitAndNote(OneShot<void> shot, QStringList& trace, QString name) {
    co_await shot;
    trace << name;
}

// A holder in the usual shape: the field is an optional, and whoever resumes takes it out first.
class Step {
public:
    QCoro::Task<QString> wait() {
        OneShot<QString> shot;
        m_waiting = shot;
        co_return co_await shot;
    }
    bool finish(QString result) {
        if (auto waiting = std::exchange(m_waiting, std::nullopt))
            return waiting->resume(std::move(result));
        return false;
    }

private:
    std::optional<OneShot<QString>> m_waiting;
};

} // namespace

TEST(OneShot, resumesItsAwaiterWithTheValueOrTheException) {
    TestHarness harness;
    OneShot<int> valued;
    auto value = harness.start(awaitInt(valued));
    EXPECT_FALSE(value.isDone());
    EXPECT_TRUE(valued.isAwaited());
    valued.resume(7);
    EXPECT_EQ(harness.run(value), 7);

    OneShot<int> failed;
    auto error = harness.start(awaitInt(failed));
    failed.fail(std::runtime_error("link lost"));
    EXPECT_THROW(harness.run(error), std::runtime_error);

    OneShot<void> plain;
    QStringList trace;
    auto done = harness.start(awaitAndNote(plain, trace, "resumed"));
    plain.resume();
    harness.run(done);
    EXPECT_EQ(trace, QStringList{"resumed"});
}

TEST(OneShot, resumptionIsPostedNotRunInsideTheResumersCallStack) {
    TestHarness harness;
    OneShot<void> shot;
    QStringList trace;
    auto waiter = harness.start(awaitAndNote(shot, trace, "waiter"));
    shot.resume();
    trace << "resumer returned";
    harness.settle();
    EXPECT_EQ(trace, (QStringList{"resumer returned", "waiter"}));
    EXPECT_TRUE(waiter.isDone());
    EXPECT_EQ(harness.now(), std::chrono::nanoseconds::zero());
}

TEST(OneShot, waitersResumeInTheOrderTheirOneShotsWereResumed) {
    TestHarness harness;
    OneShot<void> a, b, c;
    QStringList trace;
    auto waiters = {harness.start(awaitAndNote(a, trace, "a")),
                    harness.start(awaitAndNote(b, trace, "b")),
                    harness.start(awaitAndNote(c, trace, "c"))};
    c.resume();
    a.resume();
    b.resume();
    harness.settle();
    EXPECT_EQ(trace, (QStringList{"c", "a", "b"}));
    for (auto waiter : waiters)
        EXPECT_TRUE(waiter.isDone());
}

TEST(OneShot, onlyTheFirstResumeCounts) {
    TestHarness harness;
    OneShot<int> shot;
    auto waiter = harness.start(awaitInt(shot));
    EXPECT_TRUE(shot.resume(1));
    EXPECT_TRUE(shot.isResumed());
    EXPECT_FALSE(shot.resume(2));
    EXPECT_FALSE(shot.fail(std::runtime_error("late")));
    EXPECT_EQ(harness.run(waiter), 1);
    EXPECT_FALSE(shot.resume(3));
}

TEST(OneShot, aLateSecondEventFindsNothingInTheHolder) {
    TestHarness harness;
    Step step;
    auto waiting = harness.start(step.wait());
    EXPECT_TRUE(step.finish("reply"));
    EXPECT_FALSE(step.finish("time-out"));
    EXPECT_EQ(harness.run(waiting), "reply");
}

TEST(OneShot, alreadyResumedGivesItsResultWithoutSuspending) {
    TestHarness harness;
    OneShot<int> shot;
    shot.resume(5);
    EXPECT_EQ(harness.runWithoutSuspending(awaitInt(shot)), 5);
}

TEST(OneShot, canBeAwaitedOnlyOnceAndByOneCoroutine) {
    TestHarness harness;
    OneShot<int> consumed;
    consumed.resume(1);
    EXPECT_EQ(harness.run(awaitInt(consumed)), 1);
    EXPECT_THROW(harness.run(awaitInt(consumed)), std::logic_error);

    OneShot<int> contested;
    auto first = harness.start(awaitInt(contested));
    EXPECT_THROW(harness.run(awaitInt(contested)), std::logic_error);
    contested.resume(2);
    EXPECT_EQ(harness.run(first), 2);
}

TEST(OneShot, aWaiterDestroyedBeforeItsResumptionIsNeverResumed) {
    TestHarness harness;
    OneShot<int> shot;
    int resumed = 0;
    auto waiter = [](OneShot<int> shot, int& resumed) -> DestroyableCoroutine {
        co_await shot;
        ++resumed;
    };

    // Destroyed while parked: the later resume posts nothing that touches it.
    auto gone = waiter(shot, resumed);
    gone.destroy();
    EXPECT_FALSE(shot.isAwaited());
    // Destroyed after the resume was posted but before it ran.
    OneShot<int> posted;
    auto goneLater = waiter(posted, resumed);
    posted.resume(1);
    goneLater.destroy();
    harness.settle();
    EXPECT_EQ(resumed, 0);

    // The value is still there for a later waiter.
    auto next = waiter(shot, resumed);
    shot.resume(2);
    harness.settle();
    EXPECT_TRUE(next.isDone());
    EXPECT_EQ(resumed, 1);
}
