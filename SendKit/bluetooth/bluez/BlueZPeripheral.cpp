#include "SendKit/bluetooth/bluez/BlueZPeripheral.h"

#include "SendKit/StickLog.h"
#include "SendKit/async/Executor.h"
#include "SendKit/bluetooth/bluez/BlueZBus.h"
#include "SendKit/bluetooth/bluez/BlueZError.h"

#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace {

using namespace std::chrono_literals;

// Pairing waits for the person to type the passkey: longer than the link's pairing step.
constexpr auto pairLimit = 90s;
// Bytes of ATT header in every write, lost to the value.
constexpr int attHeader = 3;
// The ATT MTU every LE link starts with.
constexpr int defaultMtu = 23;
// No attribute value, and so no notification, is longer.
constexpr int longestValue = 512;
// Notifications taken from the socket at one wake-up of the event loop.
constexpr int packetsPerWakeUp = 64;

const QString deviceInterface = BlueZObjects::deviceInterface;
const QString characteristicInterface = BlueZObjects::characteristicInterface;

QString uuidText(QUuid uuid) {
    return uuid.toString(QUuid::WithoutBraces);
}

std::optional<BluetoothPlatformError> errorOf(const QDBusMessage& reply, bool bonded = false) {
    if (reply.type() != QDBusMessage::ErrorMessage)
        return std::nullopt;
    return blueZError(reply.errorName(), reply.errorMessage(), bonded);
}

// GATT properties from bluetoothd's Flags.
int propertiesOf(const QStringList& flags) {
    static const std::array<std::pair<const char*, int>, 5> bits{{{"read", 0x02},
                                                                  {"write-without-response", 0x04},
                                                                  {"write", 0x08},
                                                                  {"notify", 0x10},
                                                                  {"indicate", 0x20}}};
    int properties = 0;
    for (const auto& [flag, bit] : bits)
        if (flags.contains(QString::fromLatin1(flag)))
            properties |= bit;
    return properties;
}

// Whether the other end of the socket has closed it.
bool hungUp(int fd) {
    pollfd closed{fd, POLLRDHUP, 0};
    return ::poll(&closed, 1, 0) > 0 && (closed.revents & (POLLHUP | POLLRDHUP));
}

QVariant noOptions() {
    return QVariant::fromValue(QVariantMap());
}

} // namespace

BlueZPeripheral::Acquired::~Acquired() {
    notifier.reset();
    if (fd >= 0)
        ::close(fd);
}

BlueZPeripheral::BlueZPeripheral(std::shared_ptr<BlueZBus> bus, QString path)
    : m_bus(std::move(bus))
    , m_path(std::move(path)) {}

BlueZPeripheral::~BlueZPeripheral() = default;

QUuid BlueZPeripheral::identifier() const {
    return m_bus->objects().identifier(m_path);
}

std::optional<QString> BlueZPeripheral::name() const {
    return m_bus->objects().name(m_path);
}

void BlueZPeripheral::setDelegate(std::weak_ptr<Delegate> delegate) {
    m_delegate = std::move(delegate);
}

void BlueZPeripheral::post(std::function<void(Delegate&)> callback) {
    Executor::post([weak = weak_from_this(), callback = std::move(callback)] {
        if (const auto self = weak.lock())
            if (const auto delegate = self->m_delegate.lock())
                callback(*delegate);
    });
}

void BlueZPeripheral::discoverServices(QList<QUuid> services) {
    m_servicesWanted = std::move(services);
    // bluetoothd answers Connect before its discovery is done, and may show cached GATT objects
    // meanwhile: only ServicesResolved says they are complete.
    auto& objects = m_bus->objects();
    if (objects.property(m_path, deviceInterface, "ServicesResolved").toBool())
        reportServices();
}

void BlueZPeripheral::reportServices() {
    const auto wanted = std::exchange(m_servicesWanted, std::nullopt);
    if (!wanted)
        return;
    auto& objects = m_bus->objects();
    QList<QUuid> services;
    for (const auto& path : objects.paths(BlueZObjects::serviceInterface, m_path)) {
        const QUuid uuid(objects.property(path, BlueZObjects::serviceInterface, "UUID").toString());
        if (wanted->isEmpty() || wanted->contains(uuid))
            services.append(uuid);
    }
    m_services = services;
    post([](Delegate& delegate) { delegate.didDiscoverServices(std::nullopt); });
}

void BlueZPeripheral::discoverCharacteristics(QList<QUuid> characteristics, QUuid service) {
    Executor::spawn(
        resolveCharacteristics(shared_from_this(), std::move(characteristics), service));
}

QCoro::Task<void> BlueZPeripheral::resolveCharacteristics(std::shared_ptr<BlueZPeripheral> self,
                                                          QList<QUuid> wanted, QUuid service) {
    auto& objects = self->m_bus->objects();
    QList<BluetoothCharacteristic> found;
    for (const auto& servicePath : objects.paths(BlueZObjects::serviceInterface, self->m_path)) {
        if (QUuid(
                objects.property(servicePath, BlueZObjects::serviceInterface, "UUID").toString()) !=
            service)
            continue;
        for (const auto& path : objects.paths(characteristicInterface, servicePath)) {
            const QUuid uuid(objects.property(path, characteristicInterface, "UUID").toString());
            const auto flags = objects.property(path, characteristicInterface, "Flags");
            if (wanted.isEmpty() || wanted.contains(uuid))
                found.append({uuid, propertiesOf(flags.toStringList())});
        }
    }
    // The data characteristic's socket is taken now, so that its size and flow control are known
    // before the first write; without one, writes go through WriteValue.
    for (const auto& characteristic : found) {
        if (!(characteristic.properties & 0x04) || !self->m_dataCharacteristic.isNull())
            continue;
        self->m_dataCharacteristic = characteristic.uuid;
        auto task = self->callCharacteristic(characteristic.uuid, "AcquireWrite", {noOptions()});
        const auto reply = co_await std::move(task);
        if (auto socket = acquired(reply)) {
            self->m_dataSocket = std::move(socket);
            self->m_dataSocket->notifier =
                std::make_unique<QSocketNotifier>(self->m_dataSocket->fd, QSocketNotifier::Write);
            self->m_dataSocket->notifier->setEnabled(false);
            QObject::connect(self->m_dataSocket->notifier.get(), &QSocketNotifier::activated,
                             [weak = std::weak_ptr(self)] {
                                 const auto me = weak.lock();
                                 if (!me || !me->flush())
                                     return;
                                 me->m_dataSocket->notifier->setEnabled(false);
                                 if (std::exchange(me->m_readyWanted, false))
                                     me->post([](Delegate& delegate) {
                                         delegate.isReadyToSendWriteWithoutResponse();
                                     });
                             });
        } else {
            StickLog::write([&] {
                return "stick bluez: no data socket (" + reply.errorName() +
                       "), writing with WriteValue";
            });
        }
    }
    self->m_characteristics[service] = found;
    self->post([service](Delegate& delegate) {
        delegate.didDiscoverCharacteristics(service, std::nullopt);
    });
}

std::optional<QList<BluetoothCharacteristic>>
BlueZPeripheral::characteristics(QUuid service) const {
    const auto found = m_characteristics.find(service);
    if (found == m_characteristics.end())
        return std::nullopt;
    return found->second;
}

std::optional<QString> BlueZPeripheral::characteristicPath(QUuid characteristic) const {
    auto& objects = m_bus->objects();
    for (const auto& path : objects.paths(characteristicInterface, m_path))
        if (QUuid(objects.property(path, characteristicInterface, "UUID").toString()) ==
            characteristic)
            return path;
    return std::nullopt;
}

QCoro::Task<QDBusMessage> BlueZPeripheral::callCharacteristic(QUuid characteristic, QString method,
                                                              QVariantList arguments) {
    const auto path = characteristicPath(characteristic);
    if (!path) {
        auto missing = QDBusMessage::createMethodCall(BlueZBus::service, m_path,
                                                      characteristicInterface, method);
        co_return missing.createErrorReply("org.freedesktop.DBus.Error.UnknownObject",
                                           "no characteristic " + uuidText(characteristic));
    }
    auto task = m_bus->call(*path, characteristicInterface, method, arguments);
    co_return co_await std::move(task);
}

void BlueZPeripheral::readValue(QUuid characteristic) {
    Executor::spawn(read(shared_from_this(), characteristic));
}

QCoro::Task<void> BlueZPeripheral::read(std::shared_ptr<BlueZPeripheral> self,
                                        QUuid characteristic) {
    auto& objects = self->m_bus->objects();
    const bool bonded = objects.property(self->m_path, deviceInterface, "Paired").toBool();
    if (!bonded) {
        // Pair() goes to the caller's own agent; a pairing that an encrypted read sets off would
        // go to the desktop's default agent instead.
        auto pairing = self->m_bus->call(self->m_path, deviceInterface, "Pair", {}, pairLimit);
        const auto paired = co_await std::move(pairing);
        if (const auto error = errorOf(paired);
            error && paired.errorName() != "org.bluez.Error.AlreadyExists") {
            self->post([characteristic, error](Delegate& delegate) {
                delegate.didUpdateValue(characteristic, std::nullopt, error);
            });
            co_return;
        }
        auto trusting = self->m_bus->call(
            self->m_path, "org.freedesktop.DBus.Properties", "Set",
            {deviceInterface, QStringLiteral("Trusted"), QVariant::fromValue(QDBusVariant(true))});
        co_await std::move(trusting);
    }
    auto task = self->callCharacteristic(characteristic, "ReadValue", {noOptions()});
    const auto reply = co_await std::move(task);
    const auto error = errorOf(reply, bonded);
    std::optional<QByteArray> value;
    if (!error)
        value = reply.arguments().value(0).toByteArray();
    self->post([characteristic, value, error](Delegate& delegate) {
        delegate.didUpdateValue(characteristic, value, error);
    });
}

void BlueZPeripheral::setNotifyValue(bool enabled, QUuid characteristic) {
    Executor::spawn(subscribe(shared_from_this(), enabled, characteristic));
}

QCoro::Task<void> BlueZPeripheral::subscribe(std::shared_ptr<BlueZPeripheral> self, bool enabled,
                                             QUuid characteristic) {
    std::optional<BluetoothPlatformError> error;
    if (!enabled) {
        self->m_notifySockets.erase(characteristic);
        if (self->m_valueNotifications.remove(characteristic)) {
            auto task = self->callCharacteristic(characteristic, "StopNotify", {});
            const auto stopped = co_await std::move(task);
            error = errorOf(stopped);
        }
    } else {
        auto acquiring = self->callCharacteristic(characteristic, "AcquireNotify", {noOptions()});
        const auto reply = co_await std::move(acquiring);
        if (auto socket = acquired(reply)) {
            self->m_notifySockets[characteristic] = std::move(socket);
            self->receiveNotifications(characteristic);
        } else {
            auto starting = self->callCharacteristic(characteristic, "StartNotify", {});
            const auto started = co_await std::move(starting);
            error = errorOf(started);
            if (!error)
                self->m_valueNotifications.insert(characteristic);
        }
    }
    const bool notifying = enabled && !error;
    self->post([characteristic, notifying, error](Delegate& delegate) {
        delegate.didUpdateNotificationState(characteristic, notifying, error);
    });
}

std::unique_ptr<BlueZPeripheral::Acquired> BlueZPeripheral::acquired(const QDBusMessage& reply) {
    const auto arguments = reply.arguments();
    if (reply.type() != QDBusMessage::ReplyMessage || arguments.size() < 2)
        return nullptr;
    const auto descriptor = arguments[0].value<QDBusUnixFileDescriptor>();
    auto socket = std::make_unique<Acquired>();
    socket->fd =
        descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    if (socket->fd < 0)
        return nullptr;
    ::fcntl(socket->fd, F_SETFL, ::fcntl(socket->fd, F_GETFL) | O_NONBLOCK);
    socket->mtu = int(arguments[1].toUInt());
    return socket;
}

void BlueZPeripheral::receiveNotifications(QUuid characteristic) {
    auto& socket = *m_notifySockets.at(characteristic);
    socket.notifier = std::make_unique<QSocketNotifier>(socket.fd, QSocketNotifier::Read);
    QObject::connect(
        socket.notifier.get(), &QSocketNotifier::activated,
        [weak = weak_from_this(), characteristic, fd = socket.fd, mtu = socket.mtu] {
            const auto self = weak.lock();
            if (!self)
                return;
            // One packet is one notification.
            QByteArray packet(std::max(mtu, longestValue), Qt::Uninitialized);
            // A stick that keeps the socket full must not keep the loop from its other work:
            // the notifier calls again for the rest.
            for (int read = 0; read < packetsPerWakeUp; ++read) {
                const auto length =
                    ::recv(fd, packet.data(), packet.size(), MSG_DONTWAIT | MSG_TRUNC);
                // The link is gone when the socket is: the device's Connected change says so. An
                // empty notification reads as the end of the file does; only the hang-up differs.
                if (length < 0 || (length == 0 && hungUp(fd))) {
                    if (length == 0 || (errno != EAGAIN && errno != EINTR))
                        self->m_notifySockets.at(characteristic)->notifier->setEnabled(false);
                    return;
                }
                if (length > packet.size()) {
                    // What is left of it would pass for a frame.
                    StickLog::write([&] {
                        return QStringLiteral("stick bluez: a notification of %1 bytes, longer "
                                              "than any value — dropped")
                            .arg(length);
                    });
                    continue;
                }
                self->m_held.append({characteristic, packet.left(length)});
                self->deliverHeld();
            }
        });
}

void BlueZPeripheral::deliverHeld() {
    if (m_requestsInFlight > 0)
        return;
    for (auto& [characteristic, value] : std::exchange(m_held, {}))
        post([characteristic, value](Delegate& delegate) {
            delegate.didUpdateValue(characteristic, value, std::nullopt);
        });
}

void BlueZPeripheral::writeValue(QByteArray value, QUuid characteristic, BluetoothWriteType type) {
    if (type == BluetoothWriteType::WithoutResponse && m_dataSocket &&
        characteristic == m_dataCharacteristic) {
        m_unsent.append(std::move(value));
        if (!flush())
            m_dataSocket->notifier->setEnabled(true);
        return;
    }
    ++(type == BluetoothWriteType::WithoutResponse ? m_commandsInFlight : m_requestsInFlight);
    Executor::spawn(write(shared_from_this(), std::move(value), characteristic, type));
}

QCoro::Task<void> BlueZPeripheral::write(std::shared_ptr<BlueZPeripheral> self, QByteArray value,
                                         QUuid characteristic, BluetoothWriteType type) {
    const bool withResponse = type == BluetoothWriteType::WithResponse;
    const QVariantMap options{{"type", withResponse ? "request" : "command"}};
    auto task = self->callCharacteristic(characteristic, "WriteValue",
                                         {value, QVariant::fromValue(options)});
    const auto reply = co_await std::move(task);
    const auto error = errorOf(reply);
    if (withResponse) {
        self->post([characteristic, error](Delegate& delegate) {
            delegate.didWriteValue(characteristic, error);
        });
        --self->m_requestsInFlight;
        self->deliverHeld();
        co_return;
    }
    // A write without response has no callback: a lost link shows as a disconnection.
    if (--self->m_commandsInFlight == 0 && std::exchange(self->m_readyWanted, false))
        self->post([](Delegate& delegate) { delegate.isReadyToSendWriteWithoutResponse(); });
}

bool BlueZPeripheral::flush() {
    while (!m_unsent.isEmpty()) {
        const auto& frame = m_unsent.first();
        if (::send(m_dataSocket->fd, frame.constData(), frame.size(), MSG_DONTWAIT | MSG_NOSIGNAL) <
            0) {
            if (errno == EAGAIN || errno == EINTR)
                return false;
            // The link is gone: the device's Connected change says so; nothing more goes out.
            m_unsent.clear();
            return true;
        }
        m_unsent.removeFirst();
    }
    return true;
}

bool BlueZPeripheral::canSendWriteWithoutResponse() const {
    bool room = m_commandsInFlight == 0;
    if (m_dataSocket) {
        pollfd writable{m_dataSocket->fd, POLLOUT, 0};
        room = m_unsent.isEmpty() && ::poll(&writable, 1, 0) > 0 && (writable.revents & POLLOUT);
        if (!room)
            m_dataSocket->notifier->setEnabled(true);
    }
    if (!room)
        m_readyWanted = true;
    return room;
}

int BlueZPeripheral::maximumWriteValueLength(BluetoothWriteType type) const {
    if (type == BluetoothWriteType::WithResponse)
        return longestValue;
    if (m_dataSocket)
        return m_dataSocket->mtu - attHeader;
    const auto path = characteristicPath(m_dataCharacteristic);
    const auto mtu =
        path ? m_bus->objects().property(*path, characteristicInterface, "MTU").toInt() : 0;
    return (mtu > 0 ? mtu : defaultMtu) - attHeader;
}

void BlueZPeripheral::propertiesChanged(const QString& path, const QVariantMap& changed) {
    if (path == m_path) {
        if (changed.value("ServicesResolved").toBool())
            reportServices();
        return;
    }
    if (!changed.contains("Value"))
        return;
    auto& objects = m_bus->objects();
    const QUuid uuid(objects.property(path, characteristicInterface, "UUID").toString());
    if (m_valueNotifications.contains(uuid)) {
        m_held.append({uuid, changed.value("Value").toByteArray()});
        deliverHeld();
    }
}

void BlueZPeripheral::connectionEnded() {
    m_servicesWanted.reset();
    m_services.reset();
    m_characteristics.clear();
    m_notifySockets.clear();
    m_valueNotifications.clear();
    m_dataSocket.reset();
    m_dataCharacteristic = QUuid();
    m_unsent.clear();
    m_held.clear();
    m_readyWanted = false;
}
