#include "SendKit/async/ParkedWaiter.h"

#include "SendKit/async/Executor.h"

#include <stdexcept>

void ParkedWaiter::park(std::coroutine_handle<> coroutine) {
    if (m_parked)
        throw std::logic_error("a second coroutine awaits a one-consumer awaitable");
    m_parked = coroutine;
}

void ParkedWaiter::leave(std::coroutine_handle<> coroutine) noexcept {
    if (m_parked == coroutine)
        m_parked = {};
}

void ParkedWaiter::wake() {
    if (!m_parked || m_wakePosted)
        return;
    m_wakePosted = true;
    Executor::post([self = shared_from_this()] {
        self->m_wakePosted = false;
        if (self->m_parked && self->isReady())
            std::exchange(self->m_parked, {}).resume();
    });
}
