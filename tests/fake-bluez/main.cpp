// A stand-in for bluetoothd on the bus named by DBUS_SYSTEM_BUS_ADDRESS, for the BlueZ backend's
// tests: `fake-bluez <scenario>` owns org.bluez, prints "ready" and answers until it is killed.
#include "tests/fake-bluez/FakeBlueZ.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    auto bus = QDBusConnection::systemBus();
    FakeBlueZ bluez(bus, application.arguments().value(1));
    if (!bus.registerVirtualObject("/", &bluez, QDBusConnection::SubPath) ||
        !bus.registerService("org.bluez"))
        return 1;
    QTextStream(stdout) << "ready" << Qt::endl;
    return application.exec();
}
