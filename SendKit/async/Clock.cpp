#include "SendKit/async/Clock.h"

#include "SendKit/async/OneShot.h"

QCoro::Task<bool> sleepFor(Clock& clock, std::chrono::nanoseconds delay, std::stop_token stop) {
    if (stop.stop_requested())
        co_return false;
    OneShot<bool> woken;
    auto timer = clock.schedule(delay, [woken]() mutable { woken.resume(true); });
    std::stop_callback onStop(stop, [woken]() mutable { woken.resume(false); });
    co_return co_await woken;
}
