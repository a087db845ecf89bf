#include "SendKit/bluetooth/simulated/SimulatedPeripheral.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/async/Executor.h"
#include "SendKit/bluetooth/StickPairingPrompt.h"
#include "SendKit/bluetooth/StickPeripheral.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickProtocol.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/protocol/StickWireError.h"
#include "SendKit/protocol/StickWriter.h"

#include <algorithm>
#include <random>
#include <vector>

namespace {

using Kind = BluetoothPlatformError::Kind;

// What the generic services of every device, and the stick's own, look like on the air.
constexpr QUuid genericAccessUUID{0x00001800, 0x0000, 0x1000, 0x80, 0x00, 0x00,
                                  0x80,       0x5F,   0x9B,   0x34, 0xFB};
constexpr QUuid deviceInformationUUID{0x0000180A, 0x0000, 0x1000, 0x80, 0x00, 0x00,
                                      0x80,       0x5F,   0x9B,   0x34, 0xFB};
constexpr int propertyRead = 0x02;
constexpr int propertyWriteWithoutResponse = 0x04;
constexpr int propertyWrite = 0x08;
constexpr int propertyNotify = 0x10;
// The longest value one write with response carries (a long write), whatever the MTU.
constexpr int longestAttributeValue = 512;
// The ATT MTU before a connection has negotiated a larger one.
constexpr int defaultMtu = 23;

// Pairing results as the stick's diagnostics record keeps them.
constexpr quint8 outcomeRefused = 1;
constexpr quint8 outcomeFailed = 2;
constexpr quint8 outcomeSecured = 3;
constexpr quint32 stickEndedPairing = 0x400;
constexpr quint32 hostEndedPairing = 0x500;
constexpr quint32 smpPasskeyEntryFailed = 1;
constexpr quint32 smpConfirmValueFailed = 4;
constexpr quint32 smpPairingNotSupported = 5;
constexpr quint8 diagnosticsVersion = 2;

BluetoothPlatformError notAuthenticated() {
    return {Kind::InsufficientAuthentication, QStringLiteral("Authentication is insufficient.")};
}

QCoro::Task<void> askPasskey(std::weak_ptr<SimulatedPeripheral> peripheral,
                             std::shared_ptr<StickPairingPrompt> prompt, QString name,
                             std::stop_token stop,
                             std::function<void(std::optional<quint32>)> done) {
    std::optional<quint32> typed;
    try {
        auto asking = prompt->passkey(std::move(name), stop);
        typed = co_await std::move(asking);
    } catch (...) {
        // A prompt that cannot ask counts as a person who declines.
        const std::exception_ptr error = std::current_exception();
        StickLog::write([&error] {
            return QStringLiteral("stick radio: the pairing prompt failed: ") +
                   StickLog::describe(error);
        });
    }
    if (!stop.stop_requested() && !peripheral.expired())
        done(typed);
}

} // namespace

SimulatedPeripheral::SimulatedPeripheral(SimulatedRadio& radio,
                                         std::shared_ptr<LoopbackStick> stick, Setup setup)
    : m_radio(&radio)
    , m_stick(std::move(stick))
    , m_setup(std::move(setup))
    , m_mtu(defaultMtu) {}

SimulatedPeripheral::~SimulatedPeripheral() {
    closeStickSide();
}

void SimulatedPeripheral::forgetBond() {
    m_setup.bonded = false;
    if (m_setup.pairing == Pairing::Forgotten)
        m_setup.pairing = Pairing::Passkey;
}

QUuid SimulatedPeripheral::identifier() const {
    // Derived from the name, so that the same simulated stick keeps its identifier across runs.
    return m_setup.identifier.value_or(
        QUuid::createUuidV5(StickProtocol::serviceUUID, name().value_or(QString())));
}

std::optional<QString> SimulatedPeripheral::name() const {
    return m_setup.name.value_or(m_stick->deviceName());
}

void SimulatedPeripheral::setDelegate(std::weak_ptr<Delegate> delegate) {
    m_delegate = std::move(delegate);
}

int SimulatedPeripheral::signalStrength() {
    std::uniform_int_distribution<int> variation(-3, 3);
    return m_setup.rssi + variation(m_radio->random());
}

// Connections ----------------------------------------------------------------------------------

void SimulatedPeripheral::connect() {
    if (!m_radio || m_state != BluetoothPeripheralState::Disconnected)
        return;
    if (m_radio->state() != BluetoothManagerState::PoweredOn) {
        m_radio->post([self = shared_from_this()](SimulatedRadio::Delegate& delegate) {
            delegate.didFailToConnect(
                self, BluetoothPlatformError(Kind::ConnectionFailed,
                                             QStringLiteral("Bluetooth is not powered on.")));
        });
        return;
    }
    m_state = BluetoothPeripheralState::Connecting;
    // A stick out of range never answers; like the platform, the attempt waits for ever.
    if (!m_setup.advertising && !m_setup.connectedToSystem)
        return;
    const RadioModel& model = m_radio->model();
    const std::chrono::nanoseconds delay =
        model.instant
            ? std::chrono::nanoseconds::zero()
            : (m_setup.connectedToSystem ? std::chrono::nanoseconds(model.connectionInterval)
                                         : std::chrono::nanoseconds(model.connectTime));
    m_connectTimer = m_radio->clock().schedule(delay, [weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->openStickConnection();
    });
}

void SimulatedPeripheral::openStickConnection() {
    if (!m_radio)
        return;
    auto self = shared_from_this();
    try {
        m_stickConnection = m_stick->connect(
            [weak = weak_from_this(), generation = m_generation](std::optional<QByteArray> frame) {
                const auto peripheral = weak.lock();
                if (!peripheral || peripheral->m_generation != generation)
                    return;
                if (frame)
                    peripheral->notify(std::move(*frame));
                else
                    peripheral->stickEndedConnection();
            });
    } catch (const StickError&) {
        m_state = BluetoothPeripheralState::Disconnected;
        m_radio->post([self](SimulatedRadio::Delegate& delegate) {
            delegate.didFailToConnect(
                self, BluetoothPlatformError(Kind::ConnectionFailed,
                                             QStringLiteral("The stick is connected elsewhere.")));
        });
        return;
    }
    m_state = BluetoothPeripheralState::Connected;
    m_connectedAt = m_radio->clock().now();
    m_lastEvent.reset();
    m_services.reset();
    m_characteristics.reset();
    m_notifying = false;
    m_encrypted = false;
    m_readyWanted = false;
    m_hostile = HostileStick(m_setup.hostility);
    m_replyValue.clear();
    // Both sides learn the negotiated MTU; the stick sizes its chunks and pages by it.
    LoopbackStick::Faults faults = m_stick->faults();
    m_mtu = std::min(m_radio->model().attMtu, faults.mtu);
    faults.mtu = m_mtu;
    m_stick->setFaults(faults);
    m_radio->post([self](SimulatedRadio::Delegate& delegate) { delegate.didConnect(self); });
}

void SimulatedPeripheral::cancelConnection() {
    if (!m_radio || m_state == BluetoothPeripheralState::Disconnected ||
        m_state == BluetoothPeripheralState::Disconnecting)
        return;
    m_state = BluetoothPeripheralState::Disconnecting;
    closeStickSide();
    noticeDisconnection(std::nullopt, m_radio->model().answerDelay());
}

void SimulatedPeripheral::dropForPowerOff() {
    if (m_state == BluetoothPeripheralState::Disconnected)
        return;
    closeStickSide();
    m_disconnectTimer.cancel();
    m_state = BluetoothPeripheralState::Disconnected;
    m_radio->post([self = shared_from_this()](SimulatedRadio::Delegate& delegate) {
        delegate.didDisconnect(
            self, BluetoothPlatformError(Kind::Other, QStringLiteral("Bluetooth is off.")));
    });
}

void SimulatedPeripheral::detachFromRadio() {
    closeStickSide();
    m_disconnectTimer.cancel();
    m_state = BluetoothPeripheralState::Disconnected;
    m_radio = nullptr;
}

void SimulatedPeripheral::loseLink() {
    // The computer only notices when the supervision time-out runs out; until then its writes
    // and requests vanish.
    closeStickSide();
    noticeDisconnection(
        BluetoothPlatformError(Kind::ConnectionTimedOut, QStringLiteral("Connection timed out.")),
        m_radio->model().instant ? std::chrono::milliseconds::zero()
                                 : m_radio->model().supervisionTimeout);
}

void SimulatedPeripheral::stickEndedConnection() {
    // The stick terminates the link itself: what it sent before still arrives, then the
    // computer hears that the device disconnected.
    ++m_generation;
    m_stickConnection.reset();
    m_outgoing.clear();
    m_eventTimer.cancel();
    m_pairingStop.request_stop();
    answer(m_radio->model().answerDelay(), [this] {
        finishDisconnection(BluetoothPlatformError(
            Kind::Other, QStringLiteral("The specified device has disconnected from us.")));
    });
}

void SimulatedPeripheral::closeStickSide() {
    ++m_generation;
    if (const auto connection = std::exchange(m_stickConnection, std::nullopt))
        m_stick->disconnect(*connection);
    m_outgoing.clear();
    m_answers.clear();
    m_eventTimer.cancel();
    m_answerTimer.cancel();
    m_connectTimer.cancel();
    m_pairingStop.request_stop();
    m_displayedPasskey.reset();
}

void SimulatedPeripheral::noticeDisconnection(std::optional<BluetoothPlatformError> error,
                                              std::chrono::nanoseconds after) {
    m_disconnectTimer =
        m_radio->clock().schedule(after, [weak = weak_from_this(), error = std::move(error)] {
            if (const auto self = weak.lock())
                self->finishDisconnection(error);
        });
}

void SimulatedPeripheral::finishDisconnection(std::optional<BluetoothPlatformError> error) {
    m_state = BluetoothPeripheralState::Disconnected;
    if (m_radio) {
        m_radio->post([self = shared_from_this(), error](SimulatedRadio::Delegate& delegate) {
            delegate.didDisconnect(self, error);
        });
    }
}

bool SimulatedPeripheral::linkUp() const {
    return m_radio && m_state == BluetoothPeripheralState::Connected && m_stickConnection;
}

// GATT -----------------------------------------------------------------------------------------

void SimulatedPeripheral::discoverServices(QList<QUuid> services) {
    if (!linkUp())
        return;
    QList<QUuid> offered{genericAccessUUID, deviceInformationUUID};
    if (!m_setup.lacksStickService)
        offered.append(StickProtocol::serviceUUID);
    if (!services.isEmpty())
        offered.removeIf([&services](const QUuid& uuid) { return !services.contains(uuid); });
    const RadioModel& model = m_radio->model();
    answer(model.instant ? std::chrono::milliseconds::zero() : model.serviceResolutionTime,
           [this, offered] {
               m_services = offered;
               toDelegate([](Delegate& delegate) { delegate.didDiscoverServices(std::nullopt); });
           });
}

void SimulatedPeripheral::discoverCharacteristics(QList<QUuid> characteristics, QUuid service) {
    if (!linkUp())
        return;
    const bool known =
        m_services && m_services->contains(service) && service == StickProtocol::serviceUUID;
    QList<BluetoothCharacteristic> offered{
        {StickProtocol::controlUUID, propertyWrite},
        {StickProtocol::replyUUID, propertyRead | propertyNotify},
        {StickProtocol::dataUUID, propertyWriteWithoutResponse},
    };
    if (!m_setup.lacksDiagnostics)
        offered.append({StickProtocol::diagnosticsUUID, propertyRead});
    if (!characteristics.isEmpty()) {
        offered.removeIf([&characteristics](const BluetoothCharacteristic& c) {
            return !characteristics.contains(c.uuid);
        });
    }
    answer(m_radio->model().answerDelay(), [this, known, offered, service] {
        std::optional<BluetoothPlatformError> error;
        if (known)
            m_characteristics = offered;
        else
            error = BluetoothPlatformError(Kind::Other, QStringLiteral("Unknown service."));
        toDelegate([service, error](Delegate& delegate) {
            delegate.didDiscoverCharacteristics(service, error);
        });
    });
}

std::optional<QList<BluetoothCharacteristic>>
SimulatedPeripheral::characteristics(QUuid service) const {
    if (service != StickProtocol::serviceUUID)
        return std::nullopt;
    return m_characteristics;
}

bool SimulatedPeripheral::needsEncryption() const {
    return m_setup.pairing != Pairing::NotRequired && !m_encrypted;
}

void SimulatedPeripheral::readValue(QUuid characteristic) {
    if (!linkUp())
        return;
    if (characteristic == StickProtocol::replyUUID && needsEncryption())
        return secure();
    std::optional<QByteArray> value;
    std::optional<BluetoothPlatformError> error;
    if (characteristic == StickProtocol::replyUUID)
        value = m_replyValue;
    else if (characteristic == StickProtocol::diagnosticsUUID && !m_setup.lacksDiagnostics)
        value = diagnosticsRecord();
    else
        error = BluetoothPlatformError(Kind::OtherAttribute,
                                       QStringLiteral("Reading is not permitted."));
    answer(m_radio->model().answerDelay(), [this, characteristic, value, error] {
        toDelegate([characteristic, value, error](Delegate& delegate) {
            delegate.didUpdateValue(characteristic, value, error);
        });
    });
}

void SimulatedPeripheral::setNotifyValue(bool enabled, QUuid characteristic) {
    if (!linkUp())
        return;
    std::optional<BluetoothPlatformError> error;
    if (characteristic != StickProtocol::replyUUID)
        error = BluetoothPlatformError(Kind::OtherAttribute,
                                       QStringLiteral("The characteristic does not notify."));
    else if (needsEncryption())
        error = notAuthenticated();
    else
        m_notifying = enabled;
    const bool notifying = m_notifying;
    answer(m_radio->model().answerDelay(), [this, characteristic, notifying, error] {
        toDelegate([characteristic, notifying, error](Delegate& delegate) {
            delegate.didUpdateNotificationState(characteristic, notifying, error);
        });
    });
}

void SimulatedPeripheral::writeValue(QByteArray value, QUuid characteristic,
                                     BluetoothWriteType type) {
    if (!linkUp())
        return;
    if (type == BluetoothWriteType::WithoutResponse) {
        if (characteristic != StickProtocol::dataUUID)
            return;
        if (!canSendWriteWithoutResponse()) {
            // What the platform does with a write it has no room for.
            StickLog::write([] {
                return QStringLiteral("stick radio: a write without response found the outgoing "
                                      "queue full and was dropped");
            });
            return;
        }
        m_outgoing.push_back({value, true, RadioModel::airBytes(int(value.size()))});
        if (queuedData() >= m_radio->model().writeQueueDepth)
            m_readyWanted = true;
    } else if (characteristic == StickProtocol::controlUUID) {
        m_outgoing.push_back({value, false, RadioModel::airBytes(int(value.size()))});
    } else {
        answer(m_radio->model().answerDelay(), [this, characteristic] {
            toDelegate([characteristic](Delegate& delegate) {
                delegate.didWriteValue(
                    characteristic,
                    BluetoothPlatformError(Kind::OtherAttribute, QStringLiteral("Writing is not "
                                                                                "permitted.")));
            });
        });
        return;
    }
    scheduleEvent();
}

bool SimulatedPeripheral::canSendWriteWithoutResponse() const {
    return linkUp() && queuedData() < m_radio->model().writeQueueDepth;
}

int SimulatedPeripheral::maximumWriteValueLength(BluetoothWriteType type) const {
    return type == BluetoothWriteType::WithResponse ? longestAttributeValue
                                                    : RadioModel::maxWriteValue(m_mtu);
}

int SimulatedPeripheral::queuedData() const {
    return int(std::count_if(m_outgoing.begin(), m_outgoing.end(),
                             [](const Outgoing& write) { return write.isData; }));
}

// The air ----------------------------------------------------------------------------------------

void SimulatedPeripheral::scheduleEvent() {
    if (!linkUp() || m_outgoing.empty() || m_eventTimer.isActive())
        return;
    Clock& clock = m_radio->clock();
    const RadioModel& model = m_radio->model();
    std::chrono::nanoseconds anchor = clock.now();
    if (!model.instant) {
        // Connection events happen at fixed anchor points counted from the connection's start.
        const std::chrono::nanoseconds interval = model.connectionInterval;
        const auto elapsed = clock.now() - m_connectedAt;
        anchor = m_connectedAt +
                 interval * ((elapsed + interval - std::chrono::nanoseconds(1)) / interval);
        if (m_lastEvent && anchor <= *m_lastEvent)
            anchor = *m_lastEvent + interval;
    }
    m_eventTimer = clock.schedule(anchor - clock.now(), [this] { runEvent(); });
}

void SimulatedPeripheral::runEvent() {
    if (!linkUp())
        return;
    m_lastEvent = m_radio->clock().now();
    std::vector<int> unsent;
    unsent.reserve(m_outgoing.size());
    for (const Outgoing& write : m_outgoing)
        unsent.push_back(write.unsentBytes);
    const std::size_t sent = m_radio->model().sendEvent(unsent);
    for (std::size_t i = sent; i < unsent.size(); ++i)
        m_outgoing[i].unsentBytes = unsent[i];
    const quint64 generation = m_generation;
    for (std::size_t i = 0; i < sent; ++i) {
        const Outgoing write = std::move(m_outgoing.front());
        m_outgoing.pop_front();
        deliver(write);
        if (m_generation != generation)
            return; // the write ended the connection
    }
    if (m_readyWanted && queuedData() < m_radio->model().writeQueueDepth &&
        !m_setup.readyNeverComes) {
        m_readyWanted = false;
        toDelegate([](Delegate& delegate) { delegate.isReadyToSendWriteWithoutResponse(); });
    }
    scheduleEvent();
}

void SimulatedPeripheral::deliver(const Outgoing& write) {
    m_deliveredBytes += write.value.size();
    if (write.isData)
        return deliverChunk(write.value);
    // The write response goes back first; the stick's answer follows it.
    answer(m_radio->model().answerDelay(), [this] {
        toDelegate([](Delegate& delegate) {
            delegate.didWriteValue(StickProtocol::controlUUID, std::nullopt);
        });
    });
    const bool isCommit =
        !write.value.isEmpty() && quint8(write.value[0]) == wireByte(StickOpcode::commit);
    m_stick->receiveRequest(write.value);
    if (isCommit && std::exchange(m_setup.dropLinkAtCommit, false))
        loseLink();
}

void SimulatedPeripheral::deliverChunk(const QByteArray& frame) {
    std::optional<StickRequest::DataChunk> chunk;
    try {
        chunk = StickRequest::DataChunk::parse(frame);
    } catch (const StickWireError&) {
        // Too short to carry an offset; the stick ignores it itself.
    }
    const auto carries = [&chunk](const std::optional<quint32>& offset) {
        return chunk && offset && *offset >= chunk->offset &&
               *offset - chunk->offset < quint32(chunk->bytes.size());
    };
    if (carries(m_setup.dropLinkAtOffset)) {
        m_setup.dropLinkAtOffset.reset();
        return loseLink();
    }
    if (carries(m_setup.bluetoothOffAtOffset)) {
        m_setup.bluetoothOffAtOffset.reset();
        return m_radio->setManagerState(BluetoothManagerState::PoweredOff);
    }
    const double dropRate = m_radio->model().dropRate;
    if (chunk && dropRate > 0 && std::bernoulli_distribution(dropRate)(m_radio->random())) {
        // The stick's queue overflowed: it counts the chunk and drops it, through its own rule.
        LoopbackStick::Faults faults = m_stick->faults();
        const bool added = faults.dropChunksAt.insert(chunk->offset).second;
        m_stick->setFaults(faults);
        m_stick->receiveChunk(frame);
        faults = m_stick->faults();
        if (added && faults.dropChunksAt.erase(chunk->offset) > 0)
            m_stick->setFaults(faults); // no transfer was open to drop it
        ++m_droppedChunks;
        return;
    }
    if (chunk)
        m_acceptedBytes += chunk->bytes.size();
    m_stick->receiveChunk(frame);
    m_hostile.chunkReceived();
}

void SimulatedPeripheral::notify(QByteArray frame) {
    m_replyValue = frame;
    if (!m_notifying)
        return;
    for (QByteArray& value : m_hostile.notifications(frame)) {
        answer(m_radio->model().answerDelay(), [this, value = std::move(value)] {
            toDelegate([&value](Delegate& delegate) {
                delegate.didUpdateValue(StickProtocol::replyUUID, value, std::nullopt);
            });
        });
    }
}

void SimulatedPeripheral::answer(std::chrono::nanoseconds delay, std::function<void()> work) {
    Clock& clock = m_radio->clock();
    std::chrono::nanoseconds due = clock.now() + delay;
    if (!m_answers.empty())
        due = std::max(due, m_answers.back().first);
    m_answers.emplace_back(due, std::move(work));
    if (m_answers.size() == 1)
        m_answerTimer = clock.schedule(due - clock.now(), [this] { drainAnswers(); });
}

void SimulatedPeripheral::drainAnswers() {
    Clock& clock = m_radio->clock();
    while (!m_answers.empty() && m_answers.front().first <= clock.now()) {
        const std::function<void()> work = std::move(m_answers.front().second);
        m_answers.pop_front();
        work();
    }
    if (!m_answers.empty()) {
        m_answerTimer =
            clock.schedule(m_answers.front().first - clock.now(), [this] { drainAnswers(); });
    }
}

void SimulatedPeripheral::toDelegate(std::function<void(Delegate&)> work) const {
    if (const auto delegate = m_delegate.lock())
        work(*delegate);
}

// Pairing --------------------------------------------------------------------------------------

void SimulatedPeripheral::secure() {
    const RadioModel& model = m_radio->model();
    const std::chrono::nanoseconds exchange =
        model.instant ? std::chrono::nanoseconds::zero() : model.pairingTime;
    if (m_setup.pairing == Pairing::Forgotten) {
        return failPairing(
            m_radio->model().answerDelay(),
            BluetoothPlatformError(Kind::PeerRemovedPairing, QStringLiteral("Peer removed pairing "
                                                                            "information")));
    }
    if (m_setup.bonded)
        return encrypt(model.answerDelay());
    ++m_pairingAttempts;
    if (m_setup.pairing == Pairing::Rejected) {
        m_pairingOutcome = outcomeRefused;
        m_pairingStatus = stickEndedPairing | smpPairingNotSupported;
        return failPairing(exchange, notAuthenticated());
    }
    const std::shared_ptr<StickPairingPrompt> prompt = m_radio->pairingPrompt();
    if (!prompt) {
        m_pairingOutcome = outcomeFailed;
        m_pairingStatus = hostEndedPairing | smpPasskeyEntryFailed;
        return failPairing(exchange, notAuthenticated());
    }
    const quint32 shown = m_setup.passkey.value_or(
        std::uniform_int_distribution<quint32>(0, 999'999)(m_radio->random()));
    m_displayedPasskey = shown;
    m_pairingStop = std::stop_source();
    const quint64 generation = m_generation;
    auto asking = askPasskey(weak_from_this(), prompt, StickPeripheral::shownName(*name()),
                             m_pairingStop.get_token(),
                             [this, shown, exchange, generation](std::optional<quint32> typed) {
                                 if (m_generation != generation || !linkUp())
                                     return;
                                 m_displayedPasskey.reset();
                                 if (typed == shown)
                                     return encrypt(exchange);
                                 m_pairingOutcome = outcomeFailed;
                                 m_pairingStatus = typed ? stickEndedPairing | smpConfirmValueFailed
                                                         : hostEndedPairing | smpPasskeyEntryFailed;
                                 failPairing(exchange, notAuthenticated());
                             });
    Executor::spawn(std::move(asking));
}

void SimulatedPeripheral::encrypt(std::chrono::nanoseconds after) {
    answer(after, [this] {
        m_encrypted = true;
        if (!m_setup.bonded) {
            m_setup.bonded = true;
            m_pairingOutcome = outcomeSecured;
            m_pairingStatus = 0;
        }
        toDelegate([value = m_replyValue](Delegate& delegate) {
            delegate.didUpdateValue(StickProtocol::replyUUID, value, std::nullopt);
        });
    });
}

void SimulatedPeripheral::failPairing(std::chrono::nanoseconds after,
                                      BluetoothPlatformError error) {
    answer(after, [this, error] {
        toDelegate([error](Delegate& delegate) {
            delegate.didUpdateValue(StickProtocol::replyUUID, std::nullopt, error);
        });
    });
}

QByteArray SimulatedPeripheral::diagnosticsRecord() const {
    StickWriter record;
    record.u8(diagnosticsVersion);
    record.u8(m_pairingOutcome);
    record.u32(m_pairingStatus);
    record.u16(m_pairingAttempts);
    record.u8(m_setup.bonded && m_setup.pairing != Pairing::Forgotten ? 1 : 0);
    record.u8(m_setup.pairing == Pairing::Rejected ? 0 : 1);
    record.u32(quint32(m_stick->chunksReceived()));
    record.u32(quint32(m_droppedChunks));
    record.u32(0); // NACKs: the stick keeps no count
    record.u32(0); // notifications given up: the radio loses none
    record.u32(quint32(m_acceptedBytes));
    record.u16(quint16(m_mtu));
    return record.data();
}
