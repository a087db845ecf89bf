#pragma once

#include <coroutine>
#include <exception>
#include <utility>

// A coroutine whose frame its owner destroys, even while it is suspended: the case of a waiter
// that goes away before it is resumed, which QCoro::Task never produces by itself.
class DestroyableCoroutine {
public:
    struct promise_type {
        DestroyableCoroutine get_return_object() {
            return DestroyableCoroutine(std::coroutine_handle<promise_type>::from_promise(*this));
        }
        std::suspend_never initial_suspend() noexcept { return {}; }
        std::suspend_always final_suspend() noexcept { return {}; }
        void return_void() {}
        void unhandled_exception() { std::terminate(); }
    };

    DestroyableCoroutine(DestroyableCoroutine&& other) noexcept
        : m_handle(std::exchange(other.m_handle, {})) {}
    ~DestroyableCoroutine() { destroy(); }

    bool isDone() const { return m_handle && m_handle.done(); }
    void destroy() {
        if (m_handle)
            std::exchange(m_handle, {}).destroy();
    }

private:
    explicit DestroyableCoroutine(std::coroutine_handle<promise_type> handle)
        : m_handle(handle) {}
    std::coroutine_handle<promise_type> m_handle;
};

// Awaits in a frame the caller may destroy, handing what the await yields to `then`.
template <class Awaitable, class Then>
DestroyableCoroutine awaitThen(Awaitable awaitable, Then then) {
    then(co_await awaitable);
}
