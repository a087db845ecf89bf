#include "app/core/SleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include <optional>

// Shared with the replies in flight, so a grant that arrives after release() or after the
// inhibitor is gone still finds whether it is wanted, and its descriptor is closed if not.
struct SleepInhibitor::State {
    QDBusConnection bus;
    // Raised by every acquire and release; a grant is kept only while it still matches.
    quint64 request = 0;
    bool wanted = false;
    // Closing the last copy of the descriptor is what lets the system sleep again.
    std::optional<QDBusUnixFileDescriptor> held;
};

SleepInhibitor::SleepInhibitor(const QDBusConnection& bus)
    : m_state(std::make_shared<State>(State{bus, 0, false, std::nullopt})) {}

SleepInhibitor::~SleepInhibitor() {
    release();
}

void SleepInhibitor::acquire() {
    if (m_state->wanted)
        return;
    m_state->wanted = true;
    const quint64 request = ++m_state->request;
    if (!m_state->bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Brindle Stick")
         << QStringLiteral("Sending to the stick") << QStringLiteral("block");
    auto* watcher = new QDBusPendingCallWatcher(m_state->bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [state = std::weak_ptr(m_state), request](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                         const auto owner = state.lock();
                         // An unwanted grant is closed as the reply goes out of scope.
                         if (reply.isError() || !owner || owner->request != request)
                             return;
                         owner->held = reply.value();
                     });
}

void SleepInhibitor::release() {
    if (!m_state->wanted)
        return;
    m_state->wanted = false;
    ++m_state->request;
    m_state->held.reset();
}
