#include "cli/DoctorCommand.h"

#include "SendKit/bluetooth/bluez/BlueZBus.h"
#include "SendKit/protocol/StickProtocol.h"
#include "cli/EventLoopRunner.h"

#include <QDir>
#include <QFile>

namespace {

const QString adapterInterface = BlueZObjects::adapterInterface;
const QString deviceInterface = BlueZObjects::deviceInterface;

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed()
                                          : QString();
}

// How rfkill blocks Bluetooth radios: "soft", "hard", or empty when nothing blocks them.
QString rfkillBlock() {
    const QDir rfkill("/sys/class/rfkill");
    QString block;
    for (const auto& entry : rfkill.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const auto path = rfkill.filePath(entry);
        if (readFile(path + "/type") != "bluetooth")
            continue;
        if (readFile(path + "/hard") == "1")
            return "hard";
        if (readFile(path + "/soft") == "1")
            block = "soft";
    }
    return block;
}

class Doctor {
public:
    Doctor(QTextStream& out, Clock& clock)
        : m_out(out)
        , m_bus(QDBusConnection::systemBus(), clock) {}

    QCoro::Task<ExitCode> run() {
        if (!check(m_bus.connection().isConnected(), "system bus running",
                   "there is no D-Bus system bus to reach bluetoothd on; install the package "
                   "\"dbus\" and start it: sudo systemctl enable --now dbus"))
            co_return finish(false);
        auto fetching = m_bus.refresh();
        const auto objects = co_await std::move(fetching);
        const auto error = objects.errorName();
        if (error == "org.freedesktop.DBus.Error.AccessDenied") {
            check(true, "bluetoothd running", "");
            co_return finish(check(false, "permission to use Bluetooth",
                                   "the system bus does not let this user talk to bluetoothd; "
                                   "add the user to the group \"bluetooth\" (sudo usermod -aG "
                                   "bluetooth $USER), then log in again"));
        }
        if (!check(objects.type() == QDBusMessage::ReplyMessage, "bluetoothd running",
                   "BlueZ's bluetoothd is not on the system bus (" + error +
                       "); install the package \"bluez\" and start it: sudo systemctl enable "
                       "--now bluetooth"))
            co_return finish(false);
        const auto& tree = m_bus.objects();
        const auto adapter = tree.adapter();
        const bool present =
            check(adapter.has_value(), "Bluetooth adapter present",
                  "bluetoothd sees no adapter; plug one in, or check that the kernel found it "
                  "(dmesg | grep -i bluetooth)");
        const auto block = rfkillBlock();
        const bool unblocked =
            check(block.isEmpty(), "not blocked",
                  block == "hard" ? "a hardware switch or the firmware blocks the radio; switch "
                                    "Bluetooth on at the computer"
                                  : "rfkill blocks Bluetooth; run: rfkill unblock bluetooth");
        if (!present)
            co_return finish(false);
        const bool powered = check(tree.property(*adapter, adapterInterface, "Powered").toBool(),
                                   "adapter powered", "switch Bluetooth on: bluetoothctl power on");
        // A harmless call on the adapter shows whether the bus policy lets this user use it.
        auto asking = m_bus.call(*adapter, adapterInterface, "GetDiscoveryFilters");
        const auto filters = co_await std::move(asking);
        const bool allowed = check(
            filters.errorName() != "org.freedesktop.DBus.Error.AccessDenied",
            "permission to use Bluetooth",
            "the system bus does not let this user use the adapter; add the user to the group "
            "\"bluetooth\" (sudo usermod -aG bluetooth $USER), then log in again");
        const auto roles = tree.property(*adapter, adapterInterface, "Roles").toStringList();
        const bool lowEnergy =
            check(roles.isEmpty() || roles.contains("central"), "Bluetooth LE supported",
                  "this adapter cannot act as an LE central; use an adapter "
                  "with Bluetooth 4.0 or later");
        listSticks();
        co_return finish(unblocked && powered && allowed && lowEnergy);
    }

private:
    bool check(bool passed, const QString& what, const QString& remedy) {
        m_out << (passed ? "ok    " : "FAIL  ") << what;
        if (!passed)
            m_out << ": " << remedy;
        m_out << Qt::endl;
        return passed;
    }

    void listSticks() {
        const auto& tree = m_bus.objects();
        const auto adapter = tree.adapter();
        int sticks = 0;
        for (const auto& path : tree.paths(deviceInterface, adapter.value_or(QString()))) {
            if (!tree.offers(path, StickProtocol::serviceUUID))
                continue;
            ++sticks;
            const auto flag = [&](const char* name, const char* yes, const char* no) {
                return QString::fromLatin1(
                    tree.property(path, deviceInterface, name).toBool() ? yes : no);
            };
            m_out << "stick " << tree.name(path).value_or("?") << " ("
                  << tree.property(path, deviceInterface, "Address").toString()
                  << "): " << flag("Paired", "paired", "not paired") << ", "
                  << flag("Connected", "connected", "not connected") << Qt::endl;
        }
        if (sticks == 0)
            m_out << "no stick known yet: plug the stick into the machine, then run "
                     "brindle-stick-cli info and type the 6-digit code the stick shows"
                  << Qt::endl;
    }

    ExitCode finish(bool ready) {
        m_out << (ready ? "Bluetooth is ready for the stick."
                        : "This computer's Bluetooth cannot reach a stick yet.")
              << Qt::endl;
        return ready ? ExitCode::succeeded : ExitCode::failed;
    }

    QTextStream& m_out;
    BlueZBus m_bus;
};

} // namespace

ExitCode runDoctor(QTextStream& out, Clock& clock) {
    Doctor doctor(out, clock);
    return EventLoopRunner::run(doctor.run());
}
