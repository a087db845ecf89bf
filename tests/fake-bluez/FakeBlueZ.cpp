#include "tests/fake-bluez/FakeBlueZ.h"

#include "SendKit/async/Executor.h"
#include "SendKit/bluetooth/simulated/HostileStick.h"
#include "SendKit/protocol/StickProtocol.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

using Tree = QMap<QDBusObjectPath, QMap<QString, QVariantMap>>;
Q_DECLARE_METATYPE(Tree)

namespace {

const QString adapter = "/org/bluez/hci0";
const QString device = adapter + "/dev_C8_2E_18_AA_01_02";
const QString service = device + "/service0010";
const QString adapterIf = "org.bluez.Adapter1", deviceIf = "org.bluez.Device1";
const QString characteristicIf = "org.bluez.GattCharacteristic1";
const QString propertiesIf = "org.freedesktop.DBus.Properties";
constexpr int mtu = 247;

// The scenarios of a stick that floods or sends frames it should not.
HostileStick::Hostility hostilityOf(const QString& scenario) {
    using enum HostileStick::Hostility;
    static const QMap<QString, HostileStick::Hostility> hostilities{
        {"flood", Flood},
        {"oversized-frames", OversizedFrames},
        {"undersized-frames", UndersizedFrames},
        {"stray-replies", StrayReplies}};
    return hostilities.value(scenario, None);
}

QString uuid(QUuid id) {
    return id.toString(QUuid::WithoutBraces);
}

QVariant path(const QString& text) {
    return QVariant::fromValue(QDBusObjectPath(text));
}

QDBusMessage error(const QDBusMessage& message, const QString& name, const QString& text) {
    return message.createErrorReply("org.bluez.Error." + name, text);
}

} // namespace

FakeBlueZ::FakeBlueZ(QDBusConnection bus, const QString& scenario)
    : m_bus(std::move(bus))
    , m_stick(LoopbackStick::create("Brindle-01")) {
    qDBusRegisterMetaType<QMap<QString, QVariantMap>>();
    qDBusRegisterMetaType<Tree>();
    // The scenario is the fault; every stick but the one to pair is paired already.
    m_fault = scenario;
    const bool paired =
        scenario != "needs-pairing" && scenario != "pairing-rejected" && scenario != "hostile-name";
    const bool connected = scenario == "already-connected";
    if (scenario != "no-adapter")
        m_objects[adapter][adapterIf] = {{"Address", "00:1A:7D:DA:71:13"},
                                         {"Powered", scenario != "powered-off"},
                                         {"Roles", QStringList{"central", "peripheral"}}};
    m_objects[device][deviceIf] = {
        {"Address", "C8:2E:18:AA:01:02"},
        {"Name", scenario == "hostile-name" ? HostileStick::name() : "Brindle-01"},
        {"Adapter", path(adapter)},
        {"Paired", paired},
        {"Connected", connected},
        {"ServicesResolved", connected},
        {"UUIDs", QStringList{uuid(StickProtocol::serviceUUID)}}};
    // A device may advertise the service and offer none.
    if (scenario == "no-stick-service")
        return;
    // bluetoothd keeps the GATT objects of a known device between connections.
    m_objects[service]["org.bluez.GattService1"] = {{"UUID", uuid(StickProtocol::serviceUUID)},
                                                    {"Device", path(device)}};
    const QList<std::tuple<QString, QUuid, QStringList>> characteristics{
        {"char0011", StickProtocol::controlUUID, {"write"}},
        {"char0013", StickProtocol::replyUUID, {"read", "notify"}},
        {"char0016", StickProtocol::dataUUID, {"write-without-response"}},
        {"char0018", StickProtocol::diagnosticsUUID, {"read"}}};
    for (const auto& [name, id, flags] : characteristics)
        if (id != StickProtocol::diagnosticsUUID || scenario != "no-diagnostics")
            m_objects[service + "/" + name][characteristicIf] = {
                {"UUID", uuid(id)}, {"Service", path(service)}, {"Flags", flags}, {"MTU", mtu}};
    if (connected)
        m_link = m_stick->connect();
}

bool FakeBlueZ::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (message.interface() == deviceIf && message.member() == "Pair") {
        message.setDelayedReply(true);
        pair(message);
        return true;
    }
    m_bus.send(call(message));
    return true;
}

QDBusMessage FakeBlueZ::call(const QDBusMessage& message) {
    const auto member = message.member();
    const auto arguments = message.arguments();
    if (member == "GetManagedObjects") {
        if (m_fault == "access-denied")
            return message.createErrorReply(QDBusError::AccessDenied, "denied by the bus policy");
        Tree tree;
        for (auto it = m_objects.begin(); it != m_objects.end(); ++it)
            tree[QDBusObjectPath(it.key())] = it.value();
        return message.createReply(QVariant::fromValue(tree));
    }
    if (member == "RegisterAgent") {
        m_agentOwner = message.service();
        m_agentPath = arguments[0].value<QDBusObjectPath>().path();
    } else if (member == "StartDiscovery") {
        set(device, deviceIf, {{"RSSI", -52}});
    } else if (member == "Connect") {
        connectStick();
    } else if (member == "Disconnect") {
        dropStick(false);
    } else if (message.interface() == characteristicIf) {
        const auto role = m_objects[message.path()][characteristicIf]["UUID"].toString();
        return gatt(message, role);
    }
    return message.createReply();
}

QDBusMessage FakeBlueZ::gatt(const QDBusMessage& message, const QString& role) {
    const auto member = message.member();
    const bool paired = m_objects[device][deviceIf]["Paired"].toBool();
    if (!m_link)
        return error(message, "Failed", "Not connected");
    if (member.startsWith("Acquire") && m_fault == "no-acquire")
        return error(message, "NotSupported", "Operation is not supported");
    if (member == "ReadValue" && role == uuid(StickProtocol::replyUUID))
        return paired && m_fault != "stale-pairing" ? message.createReply(QByteArray(1, '\0'))
                                                    : error(message, "NotPermitted", "Not paired");
    if (member == "ReadValue")
        return message.createReply(QByteArray("not a diagnostics record"));
    if (member == "AcquireNotify" || member == "StartNotify") {
        auto reply = member == "StartNotify" ? message.createReply() : acquire(message, m_notifyFd);
        if (member == "StartNotify")
            set(message.path(), characteristicIf, {{"Notifying", true}});
        Executor::spawn([](FakeBlueZ* self, AsyncQueue<QByteArray> replies) -> QCoro::Task<void> {
            while (auto frame = co_await replies.next())
                self->notify(*frame);
        }(this, m_link->replies()));
        return reply;
    }
    if (member == "AcquireWrite") {
        auto reply = acquire(message, m_writeFd);
        m_chunks = std::make_unique<QSocketNotifier>(m_writeFd, QSocketNotifier::Read);
        QObject::connect(m_chunks.get(), &QSocketNotifier::activated, [this] { readChunks(); });
        return reply;
    }
    if (member == "WriteValue") {
        const auto frame = message.arguments()[0].toByteArray();
        if (role == uuid(StickProtocol::controlUUID))
            m_stick->receiveRequest(frame);
        else
            m_stick->receiveChunk(frame);
    }
    return message.createReply();
}

QDBusMessage FakeBlueZ::acquire(const QDBusMessage& message, int& ours) {
    int pair[2];
    ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair);
    ours = pair[0];
    auto reply = message.createReply(
        {QVariant::fromValue(QDBusUnixFileDescriptor(pair[1])), QVariant::fromValue(quint16(mtu))});
    ::close(pair[1]);
    return reply;
}

void FakeBlueZ::set(const QString& path, const QString& interface, const QVariantMap& changed) {
    for (auto it = changed.begin(); it != changed.end(); ++it)
        m_objects[path][interface][it.key()] = it.value();
    auto signal = QDBusMessage::createSignal(path, propertiesIf, "PropertiesChanged");
    signal.setArguments({interface, changed, QStringList()});
    m_bus.send(signal);
}

void FakeBlueZ::pair(const QDBusMessage& message) {
    auto request = QDBusMessage::createMethodCall(m_agentOwner, m_agentPath, "org.bluez.Agent1",
                                                  "RequestPasskey");
    request.setArguments({path(device)});
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(request));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [this, watcher, message] {
        watcher->deleteLater();
        const auto answer = watcher->reply();
        const bool right = answer.signature() == "u" && answer.arguments()[0].toUInt() == passkey &&
                           m_fault != "pairing-rejected";
        if (right)
            set(device, deviceIf, {{"Paired", true}});
        m_bus.send(right ? message.createReply()
                         : error(message, "AuthenticationFailed", "Authentication Failed"));
    });
}

void FakeBlueZ::connectStick() {
    if (!m_link) {
        m_link = m_stick->connect();
        m_hostile = HostileStick(hostilityOf(m_fault));
    }
    set(device, deviceIf, {{"Connected", true}});
    // bluetoothd answers Connect before its service discovery is done.
    QTimer::singleShot(m_fault == "services-resolve-late" ? 300 : 0, [this] {
        set(device, deviceIf, {{"ServicesResolved", true}});
    });
}

void FakeBlueZ::dropStick(bool removeAdapter) {
    m_chunks.reset();
    for (int* fd : {&m_notifyFd, &m_writeFd})
        if (*fd >= 0)
            ::close(std::exchange(*fd, -1));
    if (m_link)
        m_stick->disconnect(std::exchange(m_link, nullptr)->id());
    if (removeAdapter) {
        auto signal = QDBusMessage::createSignal("/", "org.freedesktop.DBus.ObjectManager",
                                                 "InterfacesRemoved");
        signal.setArguments({path(adapter), QStringList{adapterIf}});
        m_objects.remove(adapter);
        m_bus.send(signal);
        return;
    }
    set(device, deviceIf, {{"ServicesResolved", false}, {"Connected", false}});
}

void FakeBlueZ::notify(const QByteArray& frame) {
    for (const QByteArray& value : m_hostile.notifications(frame)) {
        if (m_notifyFd >= 0)
            ::send(m_notifyFd, value.constData(), value.size(), MSG_NOSIGNAL);
        else
            set(service + "/char0013", characteristicIf, {{"Value", value}});
    }
}

void FakeBlueZ::readChunks() {
    QByteArray packet(mtu, Qt::Uninitialized);
    const auto length = ::recv(m_writeFd, packet.data(), packet.size(), MSG_DONTWAIT);
    if (length <= 0)
        return;
    m_stick->receiveChunk(packet.left(length));
    m_hostile.chunkReceived();
    if (m_fault.endsWith("mid-transfer") && --m_chunksLeftBeforeDrop == 0)
        dropStick(m_fault.startsWith("adapter-removed"));
}
