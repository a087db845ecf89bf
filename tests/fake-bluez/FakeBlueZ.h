#pragma once

#include "SendKit/bluetooth/simulated/HostileStick.h"
#include "SendKit/loopback/LoopbackLink.h"
#include "SendKit/loopback/LoopbackStick.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QMap>
#include <QSocketNotifier>
#include <QVariantMap>

#include <memory>

// bluetoothd as the BlueZ backend sees it, for tests: an adapter and one stick, whose GATT
// service is a LoopbackStick, answering as BlueZ 5.66 does, and broken or hostile in the named
// way.
class FakeBlueZ : public QDBusVirtualObject {
public:
    // The passkey the stick shows; pairing succeeds only when the agent returns it.
    static constexpr quint32 passkey = 123456;

    FakeBlueZ(QDBusConnection bus, const QString& scenario);

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    using Interfaces = QMap<QString, QVariantMap>;

    QDBusMessage call(const QDBusMessage& message);
    QDBusMessage gatt(const QDBusMessage& message, const QString& role);
    void set(const QString& path, const QString& interface, const QVariantMap& changed);
    void pair(const QDBusMessage& message);
    void connectStick();
    void dropStick(bool removeAdapter);
    // A socket pair: our end is kept, the other goes to the caller with the MTU.
    QDBusMessage acquire(const QDBusMessage& message, int& ours);
    void notify(const QByteArray& frame);
    void readChunks();

    QDBusConnection m_bus;
    QString m_fault;
    QMap<QString, Interfaces> m_objects;
    QString m_agentOwner, m_agentPath;
    std::shared_ptr<LoopbackStick> m_stick;
    std::unique_ptr<LoopbackLink> m_link;
    int m_notifyFd = -1, m_writeFd = -1;
    std::unique_ptr<QSocketNotifier> m_chunks;
    int m_chunksLeftBeforeDrop = 4;
    HostileStick m_hostile; // of the current connection
};
