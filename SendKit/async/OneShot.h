#pragma once

#include "SendKit/async/ParkedWaiter.h"

#include <exception>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <variant>

// A one-shot continuation: one coroutine awaits it, one event resumes it with a value or an
// exception. A OneShot is a small copyable handle onto shared state. Resuming posts the awaiting
// coroutine's resumption to the event loop, never runs it inline; a OneShot already resumed when
// awaited gives its result without suspending. Only the first resume counts; holders keep the
// OneShot in a std::optional and take it out with std::exchange before resuming, so a late second
// event finds nothing.
template <class T> class OneShot {
    class State;

public:
    using Value = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    OneShot()
        : m_state(std::make_shared<State>()) {}

    // Each returns whether it settled the one-shot (false when it was already settled).
    bool resume(Value value) requires(!std::is_void_v<T>) {
        return m_state->template settle<1>(std::move(value));
    }
    bool resume() requires std::is_void_v<T> {
        return m_state->template settle<1>(std::monostate{});
    }
    bool fail(std::exception_ptr error) { return m_state->template settle<2>(std::move(error)); }
    template <class E>
    requires std::is_base_of_v<std::exception, std::decay_t<E>>
    bool fail(E&& error) { return fail(std::make_exception_ptr(std::forward<E>(error))); }

    // co_await yields the value or rethrows the exception; a OneShot can be awaited only once.
    ParkedAwaiter<State> operator co_await() const { return ParkedAwaiter<State>(m_state); }

private:
    class State : public ParkedWaiter {
    public:
        bool isReady() const override { return m_outcome.index() != 0; }

        template <std::size_t Kind, class Outcome> bool settle(Outcome&& outcome) {
            if (isReady())
                return false;
            m_outcome.template emplace<Kind>(std::forward<Outcome>(outcome));
            wake();
            return true;
        }

        T take() {
            if (m_outcome.index() == 3)
                throw std::logic_error("OneShot awaited twice");
            auto outcome = std::exchange(m_outcome, Taken{});
            if (auto* error = std::get_if<std::exception_ptr>(&outcome))
                std::rethrow_exception(*error);
            if constexpr (!std::is_void_v<T>)
                return std::move(std::get<Value>(outcome));
        }

    private:
        struct Pending {};
        struct Taken {};
        std::variant<Pending, Value, std::exception_ptr, Taken> m_outcome;
    };

    std::shared_ptr<State> m_state;
};
