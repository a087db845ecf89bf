#pragma once

#include "SendKit/bluetooth/bluez/BlueZObjects.h"

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class BlueZSignalRelay;
class Clock;

// bluetoothd as its client sees it over one bus connection: method calls that always come back
// within a limit on the clock, signal subscriptions, and the object tree they keep up to date.
class BlueZBus {
public:
    static inline const QString service = QStringLiteral("org.bluez");
    // Longer than any step of the link, so the link's own time-outs speak first.
    static constexpr std::chrono::seconds callLimit{30};

    BlueZBus(QDBusConnection connection, Clock& clock);
    ~BlueZBus();
    BlueZBus(const BlueZBus&) = delete;
    BlueZBus& operator=(const BlueZBus&) = delete;

    QDBusConnection& connection() { return m_connection; }
    BlueZObjects& objects() { return m_objects; }

    // bluetoothd's reply, or an error reply (org.freedesktop.DBus.Error.NoReply) made here when
    // none came within the limit. Never throws.
    QCoro::Task<QDBusMessage> call(QString path, QString interface, QString method,
                                   QVariantList arguments = {},
                                   std::chrono::milliseconds limit = callLimit);
    // Fetches the whole object tree again; the reply tells whether bluetoothd answered.
    QCoro::Task<QDBusMessage> refresh();

    // Calls the handler with every signal of bluetoothd of that interface and name, any path.
    void subscribe(const QString& interface, const QString& name,
                   std::function<void(const QDBusMessage&)> handler);
    void unsubscribe();

private:
    QDBusConnection m_connection;
    Clock& m_clock;
    BlueZObjects m_objects;
    std::vector<std::unique_ptr<BlueZSignalRelay>> m_relays;
};
