#pragma once

#include <coroutine>
#include <memory>
#include <utility>

// The single coroutine parked on a OneShot or an AsyncQueue, and its wake-up. Waking is always
// posted; when the posted work runs it resumes the coroutine only if it is still parked and the
// state is still ready, so a coroutine destroyed in the meantime is never touched and a waiter
// that came later is never woken for nothing.
class ParkedWaiter : public std::enable_shared_from_this<ParkedWaiter> {
public:
    ParkedWaiter(const ParkedWaiter&) = delete;
    ParkedWaiter& operator=(const ParkedWaiter&) = delete;
    virtual ~ParkedWaiter() = default;

    // Whether an awaiter may take its result now.
    virtual bool isReady() const = 0;

    // Parks the coroutine; throws std::logic_error when another one is already parked.
    void park(std::coroutine_handle<> coroutine);
    // Unparks a coroutine that is going away without having been resumed.
    void leave(std::coroutine_handle<> coroutine) noexcept;
    // Posts the resumption of the parked coroutine, if any (at most one wake-up is in flight).
    void wake();

protected:
    ParkedWaiter() = default;

private:
    std::coroutine_handle<> m_parked;
    bool m_wakePosted = false;
};

// The awaiter of a state derived from ParkedWaiter that has `take()`. It lives in the awaiting
// coroutine's frame and holds the state, so the state outlives every handle onto it; if the frame
// is destroyed while parked, the awaiter unparks it.
template <class State> class ParkedAwaiter {
public:
    explicit ParkedAwaiter(std::shared_ptr<State> state)
        : m_state(std::move(state)) {}
    ParkedAwaiter(ParkedAwaiter&& other) noexcept
        : m_state(std::move(other.m_state))
        , m_coroutine(std::exchange(other.m_coroutine, {})) {}
    ParkedAwaiter& operator=(ParkedAwaiter&&) = delete;
    ~ParkedAwaiter() {
        if (m_coroutine)
            m_state->leave(m_coroutine);
    }

    bool await_ready() const { return m_state->isReady(); }
    void await_suspend(std::coroutine_handle<> coroutine) {
        m_state->park(coroutine);
        m_coroutine = coroutine;
    }
    decltype(auto) await_resume() {
        m_coroutine = {};
        return m_state->take();
    }

private:
    std::shared_ptr<State> m_state;
    std::coroutine_handle<> m_coroutine;
};
