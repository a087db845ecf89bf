#include "PrivateBus.h"

PrivateBus::PrivateBus() {
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    // The address may arrive in more than one read; a cut one makes libdbus abort.
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10'000)) {
    }
    if (m_daemon.canReadLine())
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
}

PrivateBus::~PrivateBus() {
    m_daemon.kill();
    m_daemon.waitForFinished();
}
