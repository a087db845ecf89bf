#include "SendKit/bluetooth/bluez/BlueZPlatform.h"

#include "SendKit/StickLog.h"
#include "SendKit/async/Executor.h"
#include "SendKit/bluetooth/StickPeripheral.h"
#include "SendKit/bluetooth/bluez/BlueZAgent.h"
#include "SendKit/bluetooth/bluez/BlueZBus.h"
#include "SendKit/bluetooth/bluez/BlueZError.h"
#include "SendKit/bluetooth/bluez/BlueZPeripheral.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

#include <atomic>
#include <map>

namespace {

const QString adapterInterface = BlueZObjects::adapterInterface;
const QString deviceInterface = BlueZObjects::deviceInterface;
const QString agentManagerInterface = QStringLiteral("org.bluez.AgentManager1");

// Each platform on a connection exports its own agent object.
QString nextAgentPath() {
    static std::atomic<int> count{0};
    return QStringLiteral("/app/brindle/stick/agent%1").arg(++count);
}

} // namespace

class BlueZPlatform::State : public std::enable_shared_from_this<State> {
public:
    State(Clock& clock, QDBusConnection bus)
        : bus(std::make_shared<BlueZBus>(std::move(bus), clock))
        , agentPath(nextAgentPath())
        , agent([objects = &this->bus->objects()](const QString& device) {
            return StickPeripheral::shownName(objects->name(device).value_or("Brindle"));
        }) {}

    // Nothing new starts once the platform is gone; calls in flight end within their limit.
    void stop() {
        stopped = true;
        watcher.reset();
        bus->unsubscribe();
        if (!started)
            return;
        bus->connection().unregisterObject(agentPath);
        auto unregister = QDBusMessage::createMethodCall(BlueZBus::service, "/org/bluez",
                                                         agentManagerInterface, "UnregisterAgent");
        unregister.setArguments({QVariant::fromValue(QDBusObjectPath(agentPath))});
        bus->connection().send(unregister);
    }

    void start() {
        started = true;
        const auto weak = weak_from_this();
        auto onSignal = [weak](void (State::*handler)(const QDBusMessage&)) {
            return [weak, handler](const QDBusMessage& message) {
                if (const auto self = weak.lock())
                    (self.get()->*handler)(message);
            };
        };
        bus->subscribe("org.freedesktop.DBus.ObjectManager", "InterfacesAdded",
                       onSignal(&State::interfacesAdded));
        bus->subscribe("org.freedesktop.DBus.ObjectManager", "InterfacesRemoved",
                       onSignal(&State::interfacesRemoved));
        bus->subscribe("org.freedesktop.DBus.Properties", "PropertiesChanged",
                       onSignal(&State::propertiesChanged));
        bus->connection().registerVirtualObject(agentPath, &agent);
        watcher = std::make_unique<QDBusServiceWatcher>(BlueZBus::service, bus->connection());
        QObject::connect(watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, [weak] {
            if (const auto self = weak.lock())
                Executor::spawn(refresh(self));
        });
        Executor::spawn(refresh(shared_from_this()));
    }

    // Reads bluetoothd's objects again, as at start and whenever bluetoothd comes or goes.
    static QCoro::Task<void> refresh(std::shared_ptr<State> self) {
        const auto generation = ++self->generation;
        auto task = self->bus->refresh();
        const auto reply = co_await std::move(task);
        if (generation != self->generation || self->stopped)
            co_return;
        self->unreachable.reset();
        if (reply.type() == QDBusMessage::ErrorMessage) {
            const bool denied = reply.errorName() == "org.freedesktop.DBus.Error.AccessDenied";
            self->unreachable =
                denied ? BluetoothManagerState::Unauthorized : BluetoothManagerState::Unsupported;
            StickLog::write([&] {
                return "stick bluez: " + reply.errorName() + " " +
                       StickLog::quoted(reply.errorMessage());
            });
        } else {
            auto registering = self->bus->call(
                "/org/bluez", agentManagerInterface, "RegisterAgent",
                {QVariant::fromValue(QDBusObjectPath(self->agentPath)), BlueZAgent::capability});
            const auto registered = co_await std::move(registering);
            if (registered.type() == QDBusMessage::ErrorMessage)
                StickLog::write([&] {
                    return "stick bluez: pairing agent not registered: " + registered.errorName();
                });
        }
        self->update();
    }

    BluetoothManagerState currentState() const {
        if (unreachable)
            return *unreachable;
        auto& objects = bus->objects();
        const auto adapter = objects.adapter();
        if (!adapter)
            return BluetoothManagerState::Unsupported;
        // A blocked adapter shows as not powered.
        return objects.property(*adapter, adapterInterface, "Powered").toBool()
                   ? BluetoothManagerState::PoweredOn
                   : BluetoothManagerState::PoweredOff;
    }

    // Reports a change of state; connections do not outlive a usable adapter, but the state
    // comes first, so that open links hear why.
    void update() {
        const auto previous = std::exchange(state, currentState());
        if (state != previous)
            post([](Delegate& delegate) { delegate.didUpdateState(); });
        if (state != BluetoothManagerState::PoweredOn) {
            for (const auto& [path, peripheral] : peripherals)
                end(peripheral);
        } else if (previous != BluetoothManagerState::PoweredOn && scanService) {
            Executor::spawn(startDiscovery(shared_from_this()));
        }
    }

    void interfacesAdded(const QDBusMessage& message) {
        bus->objects().add(message);
        const auto path = message.arguments().value(0).value<QDBusObjectPath>().path();
        if (bus->objects().has(path, adapterInterface))
            update();
        else
            reportSighting(path);
    }

    void interfacesRemoved(const QDBusMessage& message) {
        const auto path = message.arguments().value(0).value<QDBusObjectPath>().path();
        const auto interfaces = message.arguments().value(1).toStringList();
        if (interfaces.contains(deviceInterface))
            if (const auto found = peripherals.find(path); found != peripherals.end())
                end(found->second);
        bus->objects().remove(message);
        if (interfaces.contains(adapterInterface))
            update();
    }

    void propertiesChanged(const QDBusMessage& message) {
        auto& objects = bus->objects();
        objects.change(message);
        const auto path = message.path();
        const auto interface = message.arguments().value(0).toString();
        const auto changed = qdbus_cast<QVariantMap>(message.arguments().value(1));
        if (interface == adapterInterface) {
            update();
            return;
        }
        for (const auto& [devicePath, peripheral] : peripherals)
            if (path == devicePath || path.startsWith(devicePath + '/'))
                peripheral->propertiesChanged(path, changed);
        if (interface != deviceInterface)
            return;
        if (changed.contains("RSSI"))
            reportSighting(path);
        const auto found = peripherals.find(path);
        if (found == peripherals.end() || !changed.contains("Connected"))
            return;
        const auto& peripheral = found->second;
        if (!changed.value("Connected").toBool())
            end(peripheral);
        else if (peripheral->state() == BluetoothPeripheralState::Connecting)
            connected(peripheral);
    }

    std::shared_ptr<BlueZPeripheral> peripheral(const QString& path) {
        auto& entry = peripherals[path];
        if (!entry)
            entry = std::make_shared<BlueZPeripheral>(bus, path);
        return entry;
    }

    // The devices of the adapter in use.
    QStringList devices() const {
        const auto adapter = bus->objects().adapter();
        return adapter ? bus->objects().paths(deviceInterface, *adapter) : QStringList();
    }

    void reportSighting(const QString& path) {
        auto& objects = bus->objects();
        const auto rssi = objects.property(path, deviceInterface, "RSSI");
        if (!scanService || !rssi.isValid() || !devices().contains(path) ||
            !objects.offers(path, *scanService))
            return;
        const auto name = objects.property(path, deviceInterface, "Name").toString();
        post([peripheral = peripheral(path), rssi = rssi.toInt(),
              name = name.isEmpty() ? std::nullopt : std::optional(name)](Delegate& delegate) {
            delegate.didDiscover(peripheral, name, rssi);
        });
    }

    static QCoro::Task<void> startDiscovery(std::shared_ptr<State> self) {
        const auto adapter = self->bus->objects().adapter();
        if (!adapter || !self->scanService)
            co_return;
        const QVariantMap filter{
            {"UUIDs", QStringList{self->scanService->toString(QUuid::WithoutBraces)}},
            {"Transport", QStringLiteral("le")},
            {"DuplicateData", false}};
        auto filtering = self->bus->call(*adapter, adapterInterface, "SetDiscoveryFilter",
                                         {QVariant::fromValue(filter)});
        co_await std::move(filtering);
        auto starting = self->bus->call(*adapter, adapterInterface, "StartDiscovery");
        const auto started = co_await std::move(starting);
        if (started.type() == QDBusMessage::ErrorMessage)
            StickLog::write(
                [&] { return "stick bluez: scan not started: " + started.errorName(); });
        // Devices seen by a discovery still running keep their RSSI: they are in range now.
        for (const auto& path : self->devices())
            self->reportSighting(path);
    }

    static QCoro::Task<void> connect(std::shared_ptr<State> self,
                                     std::shared_ptr<BlueZPeripheral> peripheral) {
        peripheral->setState(BluetoothPeripheralState::Connecting);
        auto task = self->bus->call(peripheral->path(), deviceInterface, "Connect");
        const auto reply = co_await std::move(task);
        if (peripheral->state() != BluetoothPeripheralState::Connecting)
            co_return;
        auto& objects = self->bus->objects();
        if (reply.type() == QDBusMessage::ErrorMessage &&
            reply.errorName() != "org.bluez.Error.AlreadyConnected") {
            peripheral->setState(BluetoothPeripheralState::Disconnected);
            const auto error = blueZError(reply.errorName(), reply.errorMessage());
            self->post([peripheral, error](Delegate& delegate) {
                delegate.didFailToConnect(peripheral, error);
            });
        } else if (objects.property(peripheral->path(), deviceInterface, "Connected").toBool()) {
            // Otherwise Connected turning true completes the connection.
            self->connected(peripheral);
        }
    }

    static QCoro::Task<void> disconnect(std::shared_ptr<State> self,
                                        std::shared_ptr<BlueZPeripheral> peripheral) {
        peripheral->setState(BluetoothPeripheralState::Disconnecting);
        auto task = self->bus->call(peripheral->path(), deviceInterface, "Disconnect");
        co_await std::move(task);
        // Connected turning false usually came first; a connection still being made has none.
        self->end(peripheral);
    }

    void connected(const std::shared_ptr<BlueZPeripheral>& peripheral) {
        peripheral->setState(BluetoothPeripheralState::Connected);
        post([peripheral](Delegate& delegate) { delegate.didConnect(peripheral); });
    }

    // The connection is gone, reported once.
    void end(const std::shared_ptr<BlueZPeripheral>& peripheral) {
        if (peripheral->state() == BluetoothPeripheralState::Disconnected)
            return;
        peripheral->setState(BluetoothPeripheralState::Disconnected);
        peripheral->connectionEnded();
        post(
            [peripheral](Delegate& delegate) { delegate.didDisconnect(peripheral, std::nullopt); });
    }

    void post(std::function<void(Delegate&)> callback) {
        Executor::post([delegate = delegate, callback = std::move(callback)] {
            if (const auto receiver = delegate.lock())
                callback(*receiver);
        });
    }

    std::shared_ptr<BlueZBus> bus;
    QString agentPath;
    BlueZAgent agent;
    std::unique_ptr<QDBusServiceWatcher> watcher;
    std::weak_ptr<Delegate> delegate;
    bool started = false;
    bool stopped = false;
    BluetoothManagerState state = BluetoothManagerState::Unknown;
    // Why bluetoothd could not be used, when it could not.
    std::optional<BluetoothManagerState> unreachable;
    quint64 generation = 0;
    std::optional<QUuid> scanService;
    std::map<QString, std::shared_ptr<BlueZPeripheral>> peripherals;
};

BlueZPlatform::BlueZPlatform(Clock& clock, QDBusConnection bus)
    : m_state(std::make_shared<State>(clock, std::move(bus))) {}

BlueZPlatform::~BlueZPlatform() {
    m_state->stop();
}

void BlueZPlatform::start(std::weak_ptr<Delegate> delegate) {
    m_state->delegate = std::move(delegate);
    m_state->start();
}

BluetoothManagerState BlueZPlatform::state() const {
    return m_state->state;
}

void BlueZPlatform::scanForPeripherals(QUuid service) {
    m_state->scanService = service;
    Executor::spawn(State::startDiscovery(m_state));
}

void BlueZPlatform::stopScan() {
    if (!std::exchange(m_state->scanService, std::nullopt))
        return;
    if (const auto adapter = m_state->bus->objects().adapter())
        Executor::spawn([](std::shared_ptr<State> state, QString adapter) -> QCoro::Task<void> {
            auto task = state->bus->call(adapter, adapterInterface, "StopDiscovery");
            co_await std::move(task);
        }(m_state, *adapter));
}

QList<std::shared_ptr<BluetoothPeripheral>>
BlueZPlatform::retrieveConnectedPeripherals(QUuid service) {
    QList<std::shared_ptr<BluetoothPeripheral>> found;
    auto& objects = m_state->bus->objects();
    for (const auto& path : m_state->devices())
        if (objects.property(path, deviceInterface, "Connected").toBool() &&
            objects.offers(path, service))
            found.append(m_state->peripheral(path));
    return found;
}

QList<std::shared_ptr<BluetoothPeripheral>> BlueZPlatform::retrievePeripherals(QUuid identifier) {
    for (const auto& path : m_state->devices())
        if (m_state->bus->objects().identifier(path) == identifier)
            return {m_state->peripheral(path)};
    return {};
}

void BlueZPlatform::connect(std::shared_ptr<BluetoothPeripheral> peripheral) {
    if (auto device = std::dynamic_pointer_cast<BlueZPeripheral>(peripheral))
        Executor::spawn(State::connect(m_state, std::move(device)));
}

void BlueZPlatform::cancelConnection(std::shared_ptr<BluetoothPeripheral> peripheral) {
    auto device = std::dynamic_pointer_cast<BlueZPeripheral>(peripheral);
    if (device && device->state() != BluetoothPeripheralState::Disconnected)
        Executor::spawn(State::disconnect(m_state, std::move(device)));
}

void BlueZPlatform::setPairingPrompt(std::shared_ptr<StickPairingPrompt> prompt) {
    m_state->agent.setPrompt(std::move(prompt));
}
