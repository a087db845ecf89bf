#pragma once

#include "SendKit/async/Executor.h"
#include "SendKit/async/ManualClock.h"

#include <QCoroTask>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

// A failure of the run itself rather than of the code under test: a deadlock, a wait for time
// where none may pass, a run past the time limit, or a suspension where none may happen.
class HarnessFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A task started under a TestHarness, and its outcome once it has finished.
template <class T> class Running {
public:
    using Result = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    bool isDone() const { return m_outcome->index() != 0; }
    // The task's value, or its exception rethrown. Takes the value: call it once.
    T result() {
        if constexpr (std::is_void_v<T>)
            takeResult();
        else
            return takeResult();
    }

private:
    friend class TestHarness;
    struct Pending {};
    using Outcome = std::variant<Pending, Result, std::exception_ptr>;

    explicit Running(QCoro::Task<T> task)
        : m_outcome(std::make_shared<Outcome>()) {
        drive(std::move(task), m_outcome);
    }

    static QCoro::Task<void> drive(QCoro::Task<T> task, std::shared_ptr<Outcome> outcome) {
        try {
            if constexpr (std::is_void_v<T>) {
                co_await task;
                outcome->template emplace<1>();
            } else {
                outcome->template emplace<1>(co_await task);
            }
        } catch (...) {
            outcome->template emplace<2>(std::current_exception());
        }
    }

    Result takeResult() {
        if (!isDone())
            throw HarnessFailure("the task has not finished yet");
        if (auto* error = std::get_if<std::exception_ptr>(m_outcome.get()))
            std::rethrow_exception(*error);
        return std::move(std::get<1>(*m_outcome));
    }

    std::shared_ptr<Outcome> m_outcome;
};

// Runs coroutines to completion on the event loop under a ManualClock: it runs posted work until
// none remains, then jumps virtual time to the next due timer, and so on. It fails the run with a
// HarnessFailure on a deadlock (not finished, nothing posted, no timer waiting), so no test hangs
// and no test waits in real time. Exceptions escaping the task, posted work or a spawned task are
// rethrown into the test. Creates the QCoreApplication when none exists.
//
//     TestHarness harness;
//     StickSession session(link, harness.clock());
//     auto info = harness.run(session.getInfo());          // its value, or its exception
//     EXPECT_EQ(harness.now(), 0s);                          // no time-out was needed
//     auto sending = harness.start(sendFile(session, data)); // runs up to its first suspension
//     harness.advance(10s);                                  // timers fire, posted work runs
//     EXPECT_FALSE(sending.isDone());
//     EXPECT_THROW(harness.run(sending), StickError);
//     auto [a, b] = harness.runAll(first(), second());       // concurrently
//     harness.runWithoutSuspending(link.close());            // must not suspend at all
class TestHarness {
public:
    TestHarness();
    // Runs the posted work left over (no time passes), so stray coroutines end within the test.
    ~TestHarness();
    TestHarness(const TestHarness&) = delete;
    TestHarness& operator=(const TestHarness&) = delete;

    ManualClock& clock() { return m_clock; }
    std::chrono::nanoseconds now() const { return m_clock.now(); }

    // Starts the task (it has already run up to its first suspension) without driving the loop.
    template <class T> Running<T> start(QCoro::Task<T> task) { return Running<T>(std::move(task)); }

    // Drives the loop and the clock until the task has finished and posted work has run out;
    // returns its value or rethrows its exception. Time stops where the task finished.
    template <class T> T run(QCoro::Task<T> task) {
        auto running = start(std::move(task));
        return run(running);
    }
    template <class T> T run(Running<T>& running) {
        driveUntil([&running] { return running.isDone(); }, Time::MayPass);
        return running.result();
    }

    // Runs the tasks concurrently until all have finished; a void task gives std::monostate. When
    // some fail, rethrows the exception of the first failed one in argument order.
    template <class... T>
    std::tuple<typename Running<T>::Result...> runAll(QCoro::Task<T>... tasks) {
        auto running = std::make_tuple(start(std::move(tasks))...);
        driveUntil(
            [&running] {
                return std::apply([](auto&... r) { return (r.isDone() && ...); }, running);
            },
            Time::MayPass);
        // Braces evaluate left to right, so the first failure in argument order is the one thrown.
        return std::apply(
            [](auto&... r) {
                return std::tuple<typename Running<T>::Result...>{r.takeResult()...};
            },
            running);
    }

    // As run(), but no time may pass: fails when the task waits for a timer.
    template <class T> T runWithoutTime(QCoro::Task<T> task) {
        auto running = start(std::move(task));
        driveUntil([&running] { return running.isDone(); }, Time::Stands);
        return running.result();
    }

    // The task must already have finished, without suspending: fails otherwise.
    template <class T> T runWithoutSuspending(QCoro::Task<T> task) {
        if (!task.isReady())
            throw HarnessFailure("suspended: the operation did not finish without suspending");
        return start(std::move(task)).result();
    }

    // Runs posted work until none remains; no time passes.
    void settle();
    // Moves time forward by the duration, running the timers due on the way in order, each
    // followed by the posted work it caused.
    void advance(std::chrono::nanoseconds duration);
    // The virtual time one run may take before it fails as a likely livelock (default 24 hours).
    void setTimeLimit(std::chrono::nanoseconds limit) { m_timeLimit = limit; }

private:
    enum class Time { MayPass, Stands };
    void driveUntil(const std::function<bool()>& isDone, Time time);
    void rethrowUncaught();

    ManualClock m_clock;
    std::chrono::nanoseconds m_timeLimit = std::chrono::hours(24);
    std::exception_ptr m_uncaught;
    Executor::UncaughtHandler m_previousHandler;
};
