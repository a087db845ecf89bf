#pragma once

#include <QDBusConnection>

#include <memory>

// Keeps the computer from sleeping or idling while a send runs: a logind "block" inhibitor for
// "sleep:idle", held between acquire() and release(). Without logind (no system bus, a refused
// call) the send simply goes on unprotected.
class SleepInhibitor {
public:
    explicit SleepInhibitor(const QDBusConnection& bus = QDBusConnection::systemBus());
    // Releases the inhibitor if it is still held.
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Asks logind for the inhibitor; returns at once. A second acquire while held does nothing.
    void acquire();
    // Drops the inhibitor; one whose grant is still on its way is dropped when it arrives.
    void release();

private:
    struct State;
    std::shared_ptr<State> m_state;
};
