#pragma once

#include "SendKit/async/ParkedWaiter.h"

#include <deque>
#include <memory>
#include <optional>

enum class AsyncQueuePolicy {
    Unbounded,  // every element is delivered, in order
    KeepNewest, // only the newest undelivered element is kept
};

// An asynchronous stream with one consumer: producers push and finally finish; the consumer
// awaits next(), which yields the elements in order and then none once finished and drained.
// An AsyncQueue is a small copyable handle onto shared state. Delivery to a suspended consumer is
// posted to the event loop, never run inline; next() on a queue that holds an element, or is
// finished, completes without suspending.
template <class T> class AsyncQueue {
    class State;

public:
    explicit AsyncQueue(AsyncQueuePolicy policy = AsyncQueuePolicy::Unbounded)
        : m_state(std::make_shared<State>(policy)) {}

    // Elements pushed after finish() are dropped: nobody will read them.
    void push(T element) { m_state->push(std::move(element)); }
    // Ends the stream once the elements already pushed are delivered.
    void finish() { m_state->finish(); }
    // Whether finish() was called (elements may remain to be delivered).
    bool isFinished() const { return m_state->isFinished(); }
    // Elements pushed and not yet delivered.
    std::size_t size() const { return m_state->size(); }

    // What next() returns: `co_await queue.next()` yields std::optional<T>, none when the stream
    // has ended. One consumer at a time.
    class Next {
    public:
        ParkedAwaiter<State> operator co_await() const { return ParkedAwaiter<State>(m_state); }

    private:
        friend class AsyncQueue;
        explicit Next(std::shared_ptr<State> state)
            : m_state(std::move(state)) {}
        std::shared_ptr<State> m_state;
    };
    Next next() const { return Next(m_state); }

private:
    class State : public ParkedWaiter {
    public:
        explicit State(AsyncQueuePolicy policy)
            : m_policy(policy) {}

        bool isReady() const override { return m_finished || !m_elements.empty(); }
        bool isFinished() const { return m_finished; }
        std::size_t size() const { return m_elements.size(); }

        void push(T element) {
            if (m_finished)
                return;
            if (m_policy == AsyncQueuePolicy::KeepNewest)
                m_elements.clear();
            m_elements.push_back(std::move(element));
            wake();
        }

        void finish() {
            m_finished = true;
            wake();
        }

        std::optional<T> take() {
            if (m_elements.empty())
                return std::nullopt;
            std::optional<T> element(std::move(m_elements.front()));
            m_elements.pop_front();
            return element;
        }

    private:
        AsyncQueuePolicy m_policy;
        std::deque<T> m_elements;
        bool m_finished = false;
    };

    std::shared_ptr<State> m_state;
};
