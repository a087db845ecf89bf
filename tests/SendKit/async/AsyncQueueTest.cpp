#include "SendKit/async/AsyncQueue.h"

#include "tests/SendKit/async/DestroyableCoroutine.h"
#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

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

TEST(AsyncQueue, deliversInOrderByPostingThenEndsWhenFinishedAndDrained) {
    TestHarness harness;
    AsyncQueue<int> queue;
    queue.push(1);
    EXPECT_EQ(harness.runWithoutSuspending(nextOf(queue)), 1);
    auto producer = queue; // copies are handles onto one stream
    auto waiting = harness.start(nextOf(queue));
    producer.push(2);
    EXPECT_FALSE(waiting.isDone()); // the delivery is posted, not run inside push()
    EXPECT_EQ(harness.run(waiting), 2);
    producer.push(3);
    auto rest = harness.start(drain(queue));
    producer.push(4);
    producer.finish();
    producer.push(5); // after the end: nobody will read it
    EXPECT_TRUE(queue.isFinished());
    EXPECT_EQ(harness.run(rest), (Ints{3, 4}));
    EXPECT_EQ(harness.runWithoutSuspending(nextOf(queue)), std::nullopt);
}

TEST(AsyncQueue, keepNewestDeliversOnlyTheNewestUndeliveredElement) {
    TestHarness harness;
    AsyncQueue<int> queue(AsyncQueuePolicy::KeepNewest);
    queue.push(1);
    queue.push(2);
    EXPECT_EQ(queue.size(), 1u);
    EXPECT_EQ(harness.run(nextOf(queue)), 2);

    // While a delivery to a parked consumer is posted, a newer element replaces the older one.
    auto waiting = harness.start(nextOf(queue));
    queue.push(3);
    queue.push(4);
    EXPECT_EQ(harness.run(waiting), 4);
    queue.push(5);
    queue.finish();
    EXPECT_EQ(harness.run(drain(queue)), Ints{5});
}

TEST(AsyncQueue, servesOneConsumerAtATimeAndSkipsOnesDestroyedWhileWaiting) {
    TestHarness harness;
    AsyncQueue<int> queue;
    auto first = harness.start(nextOf(queue));
    EXPECT_THROW(harness.run(nextOf(queue)), std::logic_error);
    queue.push(1);
    EXPECT_EQ(harness.run(first), 1);

    Ints taken;
    auto take = [&] {
        return awaitThen(queue.next(),
                         [&](std::optional<int> element) { taken.push_back(*element); });
    };
    auto gone = take();
    queue.push(2); // delivery posted to the consumer about to go
    gone.destroy();
    auto next = take(); // takes 2 at once
    auto parked = take();
    harness.settle(); // the stale delivery finds the queue empty and leaves the new consumer parked
    EXPECT_EQ(taken, Ints{2});
    EXPECT_FALSE(parked.isDone());
    queue.push(3);
    harness.settle();
    EXPECT_EQ(taken, (Ints{2, 3}));
}
