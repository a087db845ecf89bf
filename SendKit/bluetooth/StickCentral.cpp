#include "SendKit/bluetooth/StickCentral.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/async/OneShot.h"
#include "SendKit/bluetooth/BluetoothLinkError.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/protocol/StickProtocol.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

QString id8(QUuid id) {
    return id.toString(QUuid::WithoutBraces).left(8);
}

bool isSettled(BluetoothManagerState state) {
    return state != BluetoothManagerState::Unknown && state != BluetoothManagerState::Resetting;
}

QString shownName(const std::optional<QString>& name, const QString& fallback) {
    return StickPeripheral::shownName(name.value_or(fallback));
}

} // namespace

// The central's registries and the platform's delegate. Operations in progress hold it; the
// platform and the timers hold it weakly.
class StickCentral::State : public BluetoothPlatform::Delegate,
                            public std::enable_shared_from_this<State> {
public:
    State(std::shared_ptr<BluetoothPlatform> platform, Clock& clock)
        : platform(std::move(platform))
        , clock(clock) {}

    // A stick of the current scan.
    struct Seen {
        std::shared_ptr<BluetoothPeripheral> peripheral;
        StickPeripheral stick;
    };

    const std::shared_ptr<BluetoothPlatform> platform;
    Clock& clock;
    bool started = false;
    std::vector<OneShot<BluetoothManagerState>> stateWaiters;
    std::optional<AsyncQueue<QList<StickPeripheral>>> scanLists; // of the current scan
    quint64 scanToken = 0;
    QHash<QUuid, Seen> seen;
    // The links made and not yet known to be disconnected. A link its holder dropped has closed
    // its connection; until the platform reports it gone, its entry stays, expired.
    QHash<QUuid, std::weak_ptr<BluetoothStickLink>> links;
    QHash<QUuid, std::vector<OneShot<void>>> disconnectWaiters;

    static QCoro::Task<void> ready(std::shared_ptr<State> self);
    static QCoro::Task<std::shared_ptr<BluetoothStickLink>> connect(std::shared_ptr<State> self,
                                                                    QUuid id, PhaseHandler phase);
    static QCoro::Task<void> awaitDisconnect(std::shared_ptr<State> self, QUuid id);

    void ensureStarted();
    quint64 startScan(AsyncQueue<QList<StickPeripheral>> lists);
    void stopScan(quint64 token);
    void deliverList();
    std::shared_ptr<BluetoothStickLink> makeLink(QUuid id);
    void resumeDisconnectWaiters(QUuid id);
    // Takes the link of the peripheral out of the registry and shuts it down with the error.
    void linkGone(const std::shared_ptr<BluetoothPeripheral>& peripheral,
                  const std::optional<BluetoothPlatformError>& error, const StickError& fallback);

    void didUpdateState() override;
    void didDiscover(std::shared_ptr<BluetoothPeripheral> peripheral,
                     std::optional<QString> localName, int rssi) override;
    void didConnect(std::shared_ptr<BluetoothPeripheral> peripheral) override;
    void didFailToConnect(std::shared_ptr<BluetoothPeripheral> peripheral,
                          std::optional<BluetoothPlatformError> error) override;
    void didDisconnect(std::shared_ptr<BluetoothPeripheral> peripheral,
                       std::optional<BluetoothPlatformError> error) override;
};

// Bluetooth is touched only once somebody needs it.
void StickCentral::State::ensureStarted() {
    if (started)
        return;
    started = true;
    platform->start(weak_from_this());
}

QCoro::Task<void> StickCentral::State::ready(std::shared_ptr<State> self) {
    self->ensureStarted();
    BluetoothManagerState state = self->platform->state();
    // No time-out: the platform always reports its first settled state.
    if (!isSettled(state)) {
        OneShot<BluetoothManagerState> settled;
        self->stateWaiters.push_back(settled);
        state = co_await settled;
    }
    switch (state) {
    case BluetoothManagerState::PoweredOn:
        co_return;
    case BluetoothManagerState::Unauthorized:
        throw StickError::bluetoothUnauthorized();
    case BluetoothManagerState::PoweredOff:
        throw StickError::bluetoothOff();
    default:
        throw StickError::bluetoothUnsupported();
    }
}

void StickCentral::State::didUpdateState() {
    const BluetoothManagerState state = platform->state();
    StickLog::write(
        [&] { return QStringLiteral("stick central state ") + bluetoothManagerStateName(state); });
    if (!isSettled(state))
        return;
    for (auto& waiter : std::exchange(stateWaiters, {}))
        waiter.resume(state);
    if (state == BluetoothManagerState::PoweredOn)
        return;
    for (const auto& entry : std::exchange(links, {}))
        if (const auto link = entry.lock())
            link->shutDown(StickError::bluetoothOff());
}

// Scanning.

quint64 StickCentral::State::startScan(AsyncQueue<QList<StickPeripheral>> lists) {
    ensureStarted();
    seen.clear();
    const quint64 token = ++scanToken;
    // A scan started earlier hears nothing more; its stream stays open until its consumer stops.
    scanLists = std::move(lists);
    for (const auto& peripheral :
         platform->retrieveConnectedPeripherals(StickProtocol::serviceUUID))
        seen.insert(
            peripheral->identifier(),
            Seen{peripheral,
                 StickPeripheral{peripheral->identifier(),
                                 shownName(peripheral->name(), QStringLiteral("Brindle")), 0}});
    if (!seen.isEmpty())
        deliverList();
    StickLog::write([&] {
        return QStringLiteral("stick scan start (%1 already connected to this iPad)")
            .arg(seen.size());
    });
    platform->scanForPeripherals(StickProtocol::serviceUUID);
    return token;
}

// The end of a superseded scan leaves the newer one running.
void StickCentral::State::stopScan(quint64 token) {
    if (token != scanToken)
        return;
    platform->stopScan();
    scanLists.reset();
}

// The whole list, strongest signal first; each sighting delivers it anew.
void StickCentral::State::deliverList() {
    if (!scanLists)
        return;
    QList<StickPeripheral> list;
    for (const Seen& entry : std::as_const(seen))
        list << entry.stick;
    std::stable_sort(
        list.begin(), list.end(),
        [](const StickPeripheral& a, const StickPeripheral& b) { return a.rssi > b.rssi; });
    scanLists->push(std::move(list));
}

void StickCentral::State::didDiscover(std::shared_ptr<BluetoothPeripheral> peripheral,
                                      std::optional<QString> localName, int rssi) {
    const QUuid id = peripheral->identifier();
    const QString name =
        shownName(localName ? localName : peripheral->name(), QStringLiteral("Brindle"));
    if (!seen.contains(id))
        StickLog::write([&] {
            return QStringLiteral("stick found %1 rssi %2 id %3").arg(name).arg(rssi).arg(id8(id));
        });
    seen.insert(id, Seen{std::move(peripheral), StickPeripheral{id, name, rssi}});
    deliverList();
}

// Connecting.

QCoro::Task<std::shared_ptr<BluetoothStickLink>>
StickCentral::State::connect(std::shared_ptr<State> self, QUuid id, PhaseHandler phase) {
    auto readying = ready(self);
    co_await std::move(readying);
    auto waiting = awaitDisconnect(self, id);
    co_await std::move(waiting);
    const auto link = self->makeLink(id);
    if (phase)
        phase(StickConnectPhase::Connecting);
    // A failed set-up has closed the link already.
    auto establishing = link->establish(std::move(phase));
    co_await std::move(establishing);
    co_return link;
}

std::shared_ptr<BluetoothStickLink> StickCentral::State::makeLink(QUuid id) {
    ensureStarted();
    std::shared_ptr<BluetoothPeripheral> peripheral;
    if (const auto entry = seen.constFind(id); entry != seen.cend())
        peripheral = entry->peripheral;
    else if (const auto known = platform->retrievePeripherals(id); !known.isEmpty())
        peripheral = known.first();
    if (!peripheral) {
        StickLog::write(
            [&] { return QStringLiteral("stick connect %1: unknown to this iPad").arg(id8(id)); });
        throw StickError::noStickFound();
    }
    StickLog::write([&] {
        return QStringLiteral("stick connect %1 id %2 state %3")
            .arg(shownName(peripheral->name(), QStringLiteral("?")), id8(id))
            .arg(int(peripheral->state()));
    });
    const std::shared_ptr<BluetoothStickLink> link(
        new BluetoothStickLink(peripheral, platform, clock));
    links.insert(id, link);
    return link;
}

// A closed link of the stick that is still registered is a connection still being torn down.
QCoro::Task<void> StickCentral::State::awaitDisconnect(std::shared_ptr<State> self, QUuid id) {
    const auto entry = self->links.constFind(id);
    if (entry == self->links.cend())
        co_return;
    const std::weak_ptr<BluetoothStickLink> previous = *entry;
    if (const auto link = previous.lock(); link && !link->isClosed())
        co_return;
    StickLog::write(
        [] { return QStringLiteral("stick connect: waiting for the last connection to end"); });
    OneShot<void> gone;
    self->disconnectWaiters[id].push_back(gone);
    const std::weak_ptr<State> weak = self;
    // Given up on after the wait: the old link is forgotten and the new attempt goes ahead.
    const ClockTimer timer = self->clock.schedule(disconnectWait, [weak, id, previous] {
        const auto state = weak.lock();
        if (!state)
            return;
        const auto current = state->links.constFind(id);
        if (current != state->links.cend() && !current->owner_before(previous) &&
            !previous.owner_before(*current))
            state->links.erase(current);
        state->resumeDisconnectWaiters(id);
    });
    co_await gone;
}

void StickCentral::State::resumeDisconnectWaiters(QUuid id) {
    for (auto& waiter : disconnectWaiters.take(id))
        waiter.resume();
}

// Connection events.

void StickCentral::State::didConnect(std::shared_ptr<BluetoothPeripheral> peripheral) {
    StickLog::write([] { return QStringLiteral("stick connected (link up)"); });
    if (const auto link = links.value(peripheral->identifier()).lock())
        link->connected();
}

void StickCentral::State::didFailToConnect(std::shared_ptr<BluetoothPeripheral> peripheral,
                                           std::optional<BluetoothPlatformError> error) {
    StickLog::write([&] {
        return QStringLiteral("stick connect failed: ") + BluetoothPlatformError::describe(error);
    });
    linkGone(peripheral, error, StickError::stickUnreachable());
}

void StickCentral::State::didDisconnect(std::shared_ptr<BluetoothPeripheral> peripheral,
                                        std::optional<BluetoothPlatformError> error) {
    StickLog::write([&] {
        return QStringLiteral("stick disconnected: ") + BluetoothPlatformError::describe(error);
    });
    linkGone(peripheral, error, StickError::transferInterrupted());
}

void StickCentral::State::linkGone(const std::shared_ptr<BluetoothPeripheral>& peripheral,
                                   const std::optional<BluetoothPlatformError>& error,
                                   const StickError& fallback) {
    const QUuid id = peripheral->identifier();
    if (const auto link = links.take(id).lock())
        link->shutDown(linkError(error, fallback));
    resumeDisconnectWaiters(id);
}

// The central.

StickCentral::StickCentral(std::shared_ptr<BluetoothPlatform> platform, Clock& clock)
    : m_state(std::make_shared<State>(std::move(platform), clock)) {}

StickCentral::~StickCentral() = default;

QCoro::Task<void> StickCentral::ready() {
    return State::ready(m_state);
}

StickScan StickCentral::scan() {
    AsyncQueue<QList<StickPeripheral>> lists;
    const quint64 token = m_state->startScan(lists);
    const std::weak_ptr<State> weak = m_state;
    return StickScan(lists, [weak, token] {
        if (const auto state = weak.lock())
            state->stopScan(token);
    });
}

QCoro::Task<std::shared_ptr<BluetoothStickLink>> StickCentral::connect(QUuid id,
                                                                       PhaseHandler phase) {
    return State::connect(m_state, id, std::move(phase));
}

QCoro::Task<void> StickCentral::awaitDisconnect(QUuid id) {
    return State::awaitDisconnect(m_state, id);
}

BluetoothPlatform& StickCentral::platform() const {
    return *m_state->platform;
}

Clock& StickCentral::clock() const {
    return m_state->clock;
}
