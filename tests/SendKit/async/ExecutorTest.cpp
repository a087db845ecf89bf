#include "SendKit/async/Executor.h"

#include "SendKit/async/OneShot.h"
#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QPromise>
#include <QStringList>
#include <QTimer>

#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

TEST(Executor, postedWorkRunsLaterInPostingOrder) {
    TestHarness harness;
    QStringList trace;
    Executor::post([&] {
        trace << "first";
        Executor::post([&] { trace << "posted by first"; });
    });
    Executor::post([&] { trace << "second"; });
    trace << "poster returned";
    EXPECT_EQ(Executor::postedCount(), 2);
    harness.settle();
    EXPECT_EQ(trace, (QStringList{"poster returned", "first", "second", "posted by first"}));
}

// A dialog's event loop inside posted work must not hold up the work it waits for.
TEST(Executor, workPostedInsideANestedEventLoopRunsWhileThatLoopWaits) {
    TestHarness harness;
    bool ranInside = false;
    Executor::post([&] {
        QEventLoop loop;
        bool ran = false;
        Executor::post([&] {
            ran = true;
            loop.quit();
        });
        QTimer::singleShot(5s, &loop, &QEventLoop::quit); // only if the work never comes
        loop.exec();
        ranInside = ran;
    });
    harness.settle();
    EXPECT_TRUE(ranInside);
}

TEST(Executor, exceptionsEscapingPostedWorkOrSpawnedTasksReachTheUncaughtHandler) {
    TestHarness harness;
    QStringList caught;
    auto previous = Executor::setUncaughtHandler([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            caught << e.what();
        }
    });
    OneShot<void> shot;
    Executor::spawn([](OneShot<void> shot) -> QCoro::Task<> {
        co_await shot;
        throw std::runtime_error("spawned");
    }(shot));
    Executor::post([] { throw std::runtime_error("posted"); });
    shot.resume();
    harness.settle();
    EXPECT_EQ(caught, (QStringList{"posted", "spawned"}));
    Executor::setUncaughtHandler(previous);
}

TEST(Executor, theHarnessWaitsForWorkerThreadsBeforeMovingTime) {
    TestHarness harness;
    QPromise<int> promise;
    auto future = promise.future();
    promise.start();
    auto hashing = harness.start([](QFuture<int> future) -> QCoro::Task<int> {
        co_return co_await Executor::awaitWorker(future);
    }(future));
    auto timeout = harness.clock().schedule(1s, [] {});
    EXPECT_EQ(Executor::externalCount(), 1);
    std::thread worker([promise = std::move(promise)]() mutable {
        std::this_thread::sleep_for(20ms);
        promise.addResult(42);
        promise.finish();
    });
    EXPECT_EQ(harness.run(hashing), 42);
    worker.join();
    EXPECT_EQ(harness.now(), 0s); // the pending timer did not fire while the worker ran
    EXPECT_EQ(Executor::externalCount(), 0);
}
