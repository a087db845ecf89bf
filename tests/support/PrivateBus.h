#pragma once

#include <QProcess>
#include <QString>

// A dbus-daemon of the test program's own, so that D-Bus code runs against a real bus without
// touching the machine's buses. The daemon ends with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // The bus address, empty when no daemon could be started.
    const QString& address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
