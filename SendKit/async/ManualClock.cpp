#include "SendKit/async/ManualClock.h"

#include <cstdint>
#include <map>
#include <utility>

// The waiting work of one ManualClock, ordered by due instant and then by scheduling order.
class ManualClock::Timers {
public:
    using Key = std::pair<std::chrono::nanoseconds, std::uint64_t>;

    std::chrono::nanoseconds now;
    std::uint64_t nextSequence = 0;
    std::map<Key, std::function<void()>> waiting;

    // Runs the earliest timer if it is due by the limit.
    bool runNextDueBy(std::chrono::nanoseconds limit) {
        if (waiting.empty() || waiting.begin()->first.first > limit)
            return false;
        auto node = waiting.extract(waiting.begin());
        now = std::max(now, node.key().first);
        node.mapped()();
        return true;
    }

    // The handle's view of one entry; the clock may be gone before the handle.
    class Entry : public ClockTimer::Entry {
    public:
        Entry(std::weak_ptr<Timers> timers, Key key)
            : m_timers(std::move(timers))
            , m_key(key) {}

        void cancel() override {
            if (auto timers = m_timers.lock())
                timers->waiting.erase(m_key);
        }
        bool isActive() const override {
            auto timers = m_timers.lock();
            return timers && timers->waiting.count(m_key) != 0;
        }

    private:
        std::weak_ptr<Timers> m_timers;
        Key m_key;
    };
};

ManualClock::ManualClock(std::chrono::nanoseconds start)
    : m_timers(std::make_shared<Timers>()) {
    m_timers->now = start;
}

ManualClock::~ManualClock() = default;

std::chrono::nanoseconds ManualClock::now() const {
    return m_timers->now;
}

ClockTimer ManualClock::schedule(std::chrono::nanoseconds delay, std::function<void()> work) {
    const Timers::Key key{m_timers->now + std::max(delay, std::chrono::nanoseconds::zero()),
                          m_timers->nextSequence++};
    m_timers->waiting.emplace(key, std::move(work));
    return ClockTimer(std::make_unique<Timers::Entry>(m_timers, key));
}

void ManualClock::advance(std::chrono::nanoseconds duration) {
    const auto target = m_timers->now + std::max(duration, std::chrono::nanoseconds::zero());
    while (m_timers->runNextDueBy(target)) {
    }
    m_timers->now = target;
}

std::optional<std::chrono::nanoseconds> ManualClock::nextDue() const {
    if (m_timers->waiting.empty())
        return std::nullopt;
    return m_timers->waiting.begin()->first.first;
}

bool ManualClock::runNext() {
    return m_timers->runNextDueBy(std::chrono::nanoseconds::max());
}

std::size_t ManualClock::timerCount() const {
    return m_timers->waiting.size();
}
