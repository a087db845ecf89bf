#pragma once

#include <QCoro/QCoroTask>
#include <QString>

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>

// One measured figure, printed as "name: value unit".
struct Figure {
    QString name;
    double value = 0;
    QString unit;
};

void print(const Figure& figure);

// Runs the task on the real event loop until it has finished; returns its value or rethrows.
template <class T> T runOnLoop(QCoro::Task<T> task);

// The shortest of `repeats` timings of work(): the run least disturbed by the rest of the
// machine, which is what comparisons between figures of one run need.
std::chrono::nanoseconds fastestOf(int repeats, const std::function<void()>& work);

// The process's resident memory in KiB, -1 when the system does not say.
long residentKiB();

namespace bench_detail {
void runLoopUntil(const bool& done);
} // namespace bench_detail

template <class T> T runOnLoop(QCoro::Task<T> task) {
    using Value = std::conditional_t<std::is_void_v<T>, bool, T>;
    std::optional<Value> value;
    std::exception_ptr error;
    bool done = false;
    auto drive = [&]() -> QCoro::Task<void> {
        try {
            if constexpr (std::is_void_v<T>) {
                co_await task;
                value = true;
            } else {
                value = co_await task;
            }
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
    };
    auto driving = drive();
    bench_detail::runLoopUntil(done);
    if (error)
        std::rethrow_exception(error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*value);
}
