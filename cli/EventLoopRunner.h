#pragma once

#include "SendKit/async/Executor.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QEventLoop>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

// Drives one task to its end on the Qt event loop and hands back its value or rethrows its
// exception, so that a command-line tool's main() can wait for asynchronous work in plain code.
class EventLoopRunner {
public:
    EventLoopRunner() = delete;

    template <class T> static T run(QCoro::Task<T> task) {
        Outcome<T> outcome;
        QEventLoop loop;
        // The driver's task object must live until it has finished.
        QCoro::Task<void> driver = drive(std::move(task), outcome, loop);
        // A task that finished without suspending has quit a loop that was not running yet.
        if (!outcome.done)
            loop.exec();
        if (outcome.error)
            std::rethrow_exception(outcome.error);
        if constexpr (!std::is_void_v<T>)
            return std::move(*outcome.value);
    }

    // Runs the work posted so far and the work it posts in turn, so that coroutines woken by the
    // end of a link finish before the program does.
    static void settle() {
        while (Executor::postedCount() > 0)
            QCoreApplication::processEvents();
    }

private:
    template <class T> struct Outcome {
        bool done = false;
        std::exception_ptr error;
        std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> value;
    };

    template <class T>
    static QCoro::Task<void> drive(QCoro::Task<T> task, Outcome<T>& outcome, QEventLoop& loop) {
        try {
            if constexpr (std::is_void_v<T>)
                co_await task;
            else
                outcome.value.emplace(co_await task);
        } catch (...) {
            outcome.error = std::current_exception();
        }
        outcome.done = true;
        loop.quit();
    }
};
