#include "SendKit/bluetooth/bluez/BlueZBus.h"

#include "SendKit/async/Clock.h"
#include "SendKit/async/OneShot.h"
#include "SendKit/bluetooth/bluez/BlueZSignalRelay.h"

#include <QDBusPendingCallWatcher>

BlueZBus::BlueZBus(QDBusConnection connection, Clock& clock)
    : m_connection(std::move(connection))
    , m_clock(clock) {}

BlueZBus::~BlueZBus() = default;

QCoro::Task<QDBusMessage> BlueZBus::call(QString path, QString interface, QString method,
                                         QVariantList arguments, std::chrono::milliseconds limit) {
    auto message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // Without a bus Qt hands back a call that never finishes; say so at once instead of waiting
    // out the limit.
    if (!m_connection.isConnected())
        co_return message.createErrorReply(
            QDBusError::Disconnected,
            QStringLiteral("no system bus: %1").arg(m_connection.lastError().message()));
    OneShot<QDBusMessage> answer;
    // D-Bus's own time-out stays behind ours; it only ends the watcher of a call we gave up on.
    auto* watcher =
        new QDBusPendingCallWatcher(m_connection.asyncCall(message, int(limit.count()) + 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [answer, watcher]() mutable {
        answer.resume(watcher->reply());
        watcher->deleteLater();
    });
    const auto timer = m_clock.schedule(limit, [answer, message, limit]() mutable {
        answer.resume(message.createErrorReply(
            QDBusError::NoReply,
            QStringLiteral("bluetoothd did not answer %1 within %2 s")
                .arg(message.member())
                .arg(std::chrono::duration_cast<std::chrono::seconds>(limit).count())));
    });
    co_return co_await answer;
}

QCoro::Task<QDBusMessage> BlueZBus::refresh() {
    auto task = call("/", "org.freedesktop.DBus.ObjectManager", "GetManagedObjects");
    auto reply = co_await std::move(task);
    m_objects = BlueZObjects::fromReply(reply);
    co_return reply;
}

void BlueZBus::subscribe(const QString& interface, const QString& name,
                         std::function<void(const QDBusMessage&)> handler) {
    auto relay = std::make_unique<BlueZSignalRelay>(std::move(handler));
    m_connection.connect(service, QString(), interface, name, relay.get(),
                         SLOT(receive(QDBusMessage)));
    m_relays.push_back(std::move(relay));
}

void BlueZBus::unsubscribe() {
    m_relays.clear();
}
