#include "SendKit/async/OneShot.h"

#include "tests/SendKit/async/DestroyableCoroutine.h"
#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <stdexcept>

namespace {

QCoro::Task<int> awaitInt(OneShot<int> shot) {
    co_return co_await shot;
}

} // namespace

TEST(OneShot, resumesItsOneAwaiterOnceWithTheValueOrTheException) {
    TestHarness harness;
    OneShot<int> valued;
    auto value = harness.start(awaitInt(valued));
    EXPECT_THROW(harness.run(awaitInt(valued)), std::logic_error); // a second awaiter
    EXPECT_TRUE(valued.resume(7));
    EXPECT_FALSE(valued.resume(2));
    EXPECT_FALSE(valued.fail(std::runtime_error("late")));
    EXPECT_EQ(harness.run(value), 7);
    EXPECT_THROW(harness.run(awaitInt(valued)), std::logic_error); // awaited again

    OneShot<int> failed;
    failed.fail(std::runtime_error("link lost"));
    EXPECT_THROW(harness.runWithoutSuspending(awaitInt(failed)), std::runtime_error);
}

TEST(OneShot, resumptionIsPostedInResumeOrderNotRunInsideTheResumer) {
    TestHarness harness;
    OneShot<int> a, b, c;
    QStringList trace;
    auto note = [&](OneShot<int> shot, QString name) {
        return awaitThen(shot, [&trace, name](int) { trace << name; });
    };
    auto waiters = {note(a, "a"), note(b, "b"), note(c, "c")};
    c.resume(3);
    a.resume(1);
    b.resume(2);
    trace << "resumer returned";
    harness.settle();
    EXPECT_EQ(trace, (QStringList{"resumer returned", "c", "a", "b"}));
    EXPECT_EQ(harness.now(), std::chrono::nanoseconds::zero());
}

TEST(OneShot, aWaiterDestroyedBeforeItsResumptionIsNeverResumed) {
    TestHarness harness;
    int resumed = 0;
    auto count = [&](OneShot<int> shot) { return awaitThen(shot, [&](int) { ++resumed; }); };

    OneShot<int> shot; // destroyed while parked: the later resume posts nothing that touches it
    count(shot).destroy();
    OneShot<int> posted; // destroyed after the resume was posted but before it ran
    auto goneLater = count(posted);
    posted.resume(1);
    goneLater.destroy();
    harness.settle();
    EXPECT_EQ(resumed, 0);

    auto next = count(shot); // the value is still there for a later waiter
    shot.resume(2);
    harness.settle();
    EXPECT_EQ(resumed, 1);
}
