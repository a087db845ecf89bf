#include "SendKit/async/AsyncQueue.h"

#include "tests/SendKit/async/DestroyableCoroutine.h"
#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <stdexcept>
#include <vector>

namespace {

using Ints = std::vector<int>;

// Reads the queue to its end.
QCoro::Task<Ints> drain(AsyncQueue<int> queue) {
    Ints read;
    while (auto element = co_await queue.next())
        read.push_back(*element);
    co_return read;
}

QCoro::Task<std::optional<int>> nextOf(AsyncQueue<int> queue) {
    co_return co_await queue.next();
}

} // namespace

TEST(AsyncQueue, deliversEveryElementInOrderThenEndsWhenFinishedAndDrained) {
    TestHarness harness;
    AsyncQueue<int> queue;
    queue.push(1);
    EXPECT_EQ(harness.runWithoutSuspending(nextOf(queue)), 1);
    queue.push(2);
    auto producer = queue; // copies are handles onto one stream
    auto reader = harness.start(drain(queue));
    producer.push(3);
    harness.settle();
    producer.push(4);
    producer.finish();
    producer.push(5); // after the end: nobody will read it
    EXPECT_TRUE(queue.isFinished());
    EXPECT_EQ(harness.run(reader), (Ints{2, 3, 4}));
    EXPECT_EQ(harness.runWithoutSuspending(nextOf(queue)), std::nullopt);
}

TEST(AsyncQueue, deliveryToAWaitingConsumerIsPosted) {
    TestHarness harness;
    AsyncQueue<int> queue;
    QStringList trace;
    auto consumer = [](AsyncQueue<int> queue, QStringList& trace) -> QCoro::Task<> {
        while (auto element = co_await queue.next())
            trace << QString("got %1").arg(*element);
    };
    auto reader = harness.start(consumer(queue, trace));
    queue.push(1);
    trace << "pushed 1";
    queue.push(2);
    trace << "pushed 2";
    harness.settle();
    EXPECT_EQ(trace, (QStringList{"pushed 1", "pushed 2", "got 1", "got 2"}));
    queue.finish();
    harness.run(reader);
}

TEST(AsyncQueue, keepNewestDeliversOnlyTheNewestUndeliveredElement) {
    TestHarness harness;
    AsyncQueue<int> queue(AsyncQueuePolicy::KeepNewest);
    queue.push(1);
    queue.push(2);
    queue.push(3);
    EXPECT_EQ(queue.size(), 1u);
    EXPECT_EQ(harness.run(nextOf(queue)), 3);

    // While a delivery to a parked consumer is posted, a newer element replaces the older one.
    auto waiting = harness.start(nextOf(queue));
    queue.push(4);
    queue.push(5);
    EXPECT_EQ(harness.run(waiting), 5);

    queue.push(6);
    queue.finish();
    EXPECT_EQ(harness.run(drain(queue)), Ints{6});
}

TEST(AsyncQueue, servesOneConsumerAtATime) {
    TestHarness harness;
    AsyncQueue<int> queue;
    auto first = harness.start(nextOf(queue));
    EXPECT_THROW(harness.run(nextOf(queue)), std::logic_error);
    queue.push(1);
    EXPECT_EQ(harness.run(first), 1);
}

TEST(AsyncQueue, aConsumerDestroyedWhileWaitingLeavesTheElementForTheNextOne) {
    TestHarness harness;
    AsyncQueue<int> queue;
    Ints taken;
    auto consumer = [](AsyncQueue<int> queue, Ints& taken) -> DestroyableCoroutine {
        if (auto element = co_await queue.next())
            taken.push_back(*element);
    };

    auto gone = consumer(queue, taken);
    queue.push(1); // delivery posted to the consumer about to go
    gone.destroy();
    auto next = consumer(queue, taken); // takes 1 at once
    auto parked = consumer(queue, taken);
    harness.settle(); // the stale delivery finds the queue empty and leaves the new consumer parked
    EXPECT_EQ(taken, Ints{1});
    EXPECT_FALSE(parked.isDone());
    queue.push(2);
    harness.settle();
    EXPECT_EQ(taken, (Ints{1, 2}));
    EXPECT_TRUE(parked.isDone());
}
