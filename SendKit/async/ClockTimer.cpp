#include "SendKit/async/ClockTimer.h"

#include <utility>

ClockTimer::ClockTimer(std::unique_ptr<Entry> entry)
    : m_entry(std::move(entry)) {}

ClockTimer& ClockTimer::operator=(ClockTimer&& other) noexcept {
    if (this != &other) {
        cancel();
        m_entry = std::move(other.m_entry);
    }
    return *this;
}

ClockTimer::~ClockTimer() {
    cancel();
}

void ClockTimer::cancel() {
    if (m_entry)
        std::exchange(m_entry, nullptr)->cancel();
}

bool ClockTimer::isActive() const {
    return m_entry && m_entry->isActive();
}
