#include "SendKit/async/SystemClock.h"

#include <QObject>
#include <QTimerEvent>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ctime>
#include <map>

// The Qt timers of one SystemClock. Entries have keys of their own because Qt reuses timer ids.
class SystemClock::Timers : public QObject {
public:
    struct Scheduled {
        int timerId;
        std::function<void()> work;
    };

    quint64 add(std::chrono::nanoseconds delay, std::function<void()> work) {
        // Rounded up, so that work never runs before its time; Qt counts in int milliseconds, so
        // a delay beyond 24 days is cut to that.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay).count();
        const int interval = int(std::clamp<std::int64_t>(ms, 0, INT_MAX));
        const auto key = m_nextKey++;
        const int timerId = startTimer(interval, Qt::PreciseTimer);
        m_scheduled.emplace(key, Scheduled{timerId, std::move(work)});
        m_keys.emplace(timerId, key);
        return key;
    }

    void cancel(quint64 key) {
        auto found = m_scheduled.find(key);
        if (found == m_scheduled.end())
            return;
        killTimer(found->second.timerId);
        m_keys.erase(found->second.timerId);
        m_scheduled.erase(found);
    }

    bool isActive(quint64 key) const { return m_scheduled.count(key) != 0; }

    // The handle's view of one entry; the clock may be gone before the handle.
    class Entry : public ClockTimer::Entry {
    public:
        Entry(std::weak_ptr<Timers> timers, quint64 key)
            : m_timers(std::move(timers))
            , m_key(key) {}

        void cancel() override {
            if (auto timers = m_timers.lock())
                timers->cancel(m_key);
        }
        bool isActive() const override {
            auto timers = m_timers.lock();
            return timers && timers->isActive(m_key);
        }

    private:
        std::weak_ptr<Timers> m_timers;
        quint64 m_key;
    };

protected:
    void timerEvent(QTimerEvent* event) override {
        auto key = m_keys.find(event->timerId());
        if (key == m_keys.end())
            return;
        auto found = m_scheduled.find(key->second);
        auto work = std::move(found->second.work);
        cancel(key->second);
        work();
    }

private:
    quint64 m_nextKey = 0;
    std::map<quint64, Scheduled> m_scheduled;
    std::map<int, quint64> m_keys;
};

SystemClock::SystemClock()
    : m_timers(std::make_shared<Timers>()) {}

SystemClock::~SystemClock() = default;

std::chrono::nanoseconds SystemClock::now() const {
    timespec reading{};
    clock_gettime(CLOCK_BOOTTIME, &reading);
    return std::chrono::seconds(reading.tv_sec) + std::chrono::nanoseconds(reading.tv_nsec);
}

ClockTimer SystemClock::schedule(std::chrono::nanoseconds delay, std::function<void()> work) {
    const auto key = m_timers->add(delay, std::move(work));
    return ClockTimer(std::make_unique<Timers::Entry>(m_timers, key));
}
