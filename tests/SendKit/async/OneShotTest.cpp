#include "SendKit/async/OneShot.h"

#include "tests/SendKit/async/DestroyableCoroutine.h"
#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace {

QCoro::Task<int> awaitInt(OneShot<int> shot) {
    co_return co_await shot;
}

QCoro::Task<void> awaitAndNote(OneShot<void> shot, QStringList& trace, QString name) {
    co_await shot;
    trace << name;
}

} // namespace

TEST(OneShot, resumesItsAwaiterWithTheValueOrTheExceptionAndOnlyTheFirstCounts) {
    TestHarness harness;
    OneShot<int> valued;
    auto value = harness.start(awaitInt(valued));
    EXPECT_TRUE(valued.isAwaited());
    EXPECT_TRUE(valued.resume(7));
    EXPECT_FALSE(valued.resume(2));
    EXPECT_FALSE(valued.fail(std::runtime_error("late")));
    EXPECT_EQ(harness.run(value), 7);
    EXPECT_FALSE(valued.resume(3));

    OneShot<int> failed;
    auto error = harness.start(awaitInt(failed));
    failed.fail(std::runtime_error("link lost"));
    EXPECT_THROW(harness.run(error), std::runtime_error);
}

TEST(OneShot, resumptionIsPostedInResumeOrderNotRunInsideTheResumer) {
    TestHarness harness;
    OneShot<void> a, b, c;
    QStringList trace;
    auto waiters = {harness.start(awaitAndNote(a, trace, "a")),
                    harness.start(awaitAndNote(b, trace, "b")),
                    harness.start(awaitAndNote(c, trace, "c"))};
    c.resume();
    a.resume();
    b.resume();
    trace << "resumer returned";
    harness.settle();
    EXPECT_EQ(trace, (QStringList{"resumer returned", "c", "a", "b"}));
    for (auto waiter : waiters)
        EXPECT_TRUE(waiter.isDone());
    EXPECT_EQ(harness.now(), std::chrono::nanoseconds::zero());
}

TEST(OneShot, canBeAwaitedOnlyOnceAndByOneCoroutine) {
    TestHarness harness;
    OneShot<int> consumed;
    consumed.resume(1);
    EXPECT_EQ(harness.runWithoutSuspending(awaitInt(consumed)), 1);
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
