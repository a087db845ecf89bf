#include "SendKit/bluetooth/BluetoothStickLink.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/async/Clock.h"
#include "SendKit/async/Executor.h"
#include "SendKit/async/OneShot.h"
#include "SendKit/bluetooth/BluetoothLinkError.h"
#include "SendKit/bluetooth/BluetoothPlatform.h"
#include "SendKit/protocol/StickProtocol.h"

#include <QSet>
#include <QStringList>

#include <chrono>
#include <utility>

using namespace std::chrono_literals;

namespace {

const QString connectStep = QStringLiteral("connect");
const QString servicesStep = QStringLiteral("discover services");
const QString characteristicsStep = QStringLiteral("discover characteristics");
const QString pairStep =
    QStringLiteral("pair (encrypted read; iPadOS asks for the code the first time)");
const QString subscribeStep = QStringLiteral("subscribe to Reply");
const QString writeStep = QStringLiteral("write");
const QString diagnosticsStep = QStringLiteral("read diagnostics");

constexpr auto chunkWait = 10s;
// No attribute value, and so no notification, is longer.
constexpr qsizetype longestValue = 512;

// What a callback's error ends its step with: nothing without an error.
std::optional<StickError> failure(const std::optional<BluetoothPlatformError>& error,
                                  const StickError& fallback) {
    if (!error)
        return std::nullopt;
    return linkError(error, fallback);
}

// A step's outcome as the pairing and subscribing lines end: the case without the type's prefix.
QString outcome(const std::optional<StickError>& error, const QString& success) {
    return error ? error->text().mid(QStringLiteral("StickError.").size()) : success;
}

QString uuidText(QUuid uuid) {
    return uuid.toString(QUuid::WithoutBraces);
}

} // namespace

// Everything of the link that outlives a call: the set-up's findings, the running step and the
// waiting chunk. It is the peripheral's delegate; the tasks and timers of the link hold it only
// as long as they run.
class BluetoothStickLink::State : public BluetoothPeripheral::Delegate,
                                  public std::enable_shared_from_this<State> {
public:
    State(std::shared_ptr<BluetoothPeripheral> peripheral,
          std::weak_ptr<BluetoothPlatform> platform, Clock& clock)
        : peripheral(std::move(peripheral))
        , platform(std::move(platform))
        , clock(clock) {}

    struct WaitingChunk {
        QByteArray frame;
        OneShot<void> continuation;
    };
    using Body = std::function<void(State&)>;

    const std::shared_ptr<BluetoothPeripheral> peripheral;
    const std::weak_ptr<BluetoothPlatform> platform;
    Clock& clock;
    AsyncQueue<QByteArray> replies;
    QSet<QUuid> characteristics; // the stick's characteristics found by the set-up
    std::optional<OneShot<void>> step;
    ClockTimer stepTimer;
    QString stepName; // of the step started last, kept after it ends
    std::optional<WaitingChunk> waitingChunk;
    ClockTimer waitingChunkTimer;
    std::optional<QByteArray> diagnosticsValue; // what the last diagnostics read gave
    bool closed = false;
    bool established = false;

    static QCoro::Task<void> run(std::shared_ptr<State> self, QString name,
                                 std::chrono::seconds timeout, Body body);
    static QCoro::Task<void> establish(std::shared_ptr<State> self, PhaseHandler phase);
    static QCoro::Task<int> setUp(std::shared_ptr<State> self, PhaseHandler phase);
    static QCoro::Task<void> writeControl(std::shared_ptr<State> self, QByteArray frame);
    static QCoro::Task<void> writeData(std::shared_ptr<State> self, QByteArray frame,
                                       std::stop_token stop);
    static QCoro::Task<std::optional<StickDiagnostics>>
    readDiagnostics(std::shared_ptr<State> self);

    bool has(QUuid characteristic) const { return characteristics.contains(characteristic); }
    bool stepRuns(const QString& name) const { return step && stepName == name; }
    void finishStep(const std::optional<StickError>& error);
    void failWaitingChunk(const StickError& error);
    void resolveCharacteristics();
    void shutDown(StickError error);
    void close();

    void didDiscoverServices(std::optional<BluetoothPlatformError> error) override;
    void didDiscoverCharacteristics(QUuid service,
                                    std::optional<BluetoothPlatformError> error) override;
    void didUpdateValue(QUuid characteristic, std::optional<QByteArray> value,
                        std::optional<BluetoothPlatformError> error) override;
    void didUpdateNotificationState(QUuid characteristic, bool isNotifying,
                                    std::optional<BluetoothPlatformError> error) override;
    void didWriteValue(QUuid characteristic, std::optional<BluetoothPlatformError> error) override;
    void isReadyToSendWriteWithoutResponse() override;
};

// Steps.

QCoro::Task<void> BluetoothStickLink::State::run(std::shared_ptr<State> self, QString name,
                                                 std::chrono::seconds timeout, Body body) {
    if (self->closed)
        throw StickError::transferInterrupted();
    if (self->step)
        throw StickError::protocolError(
            QStringLiteral("step %1 while %2 runs").arg(name, self->stepName));
    OneShot<void> done;
    self->step = done;
    self->stepName = name;
    // Requests are written too often to be worth a line each.
    if (name != writeStep)
        StickLog::write([&] {
            return QStringLiteral("stick step %1 (limit %2 s)").arg(name).arg(timeout.count());
        });
    const std::weak_ptr<State> weak = self;
    self->stepTimer = self->clock.schedule(timeout, [weak, timeout] {
        const auto state = weak.lock();
        if (!state || !state->step)
            return;
        StickLog::write([&] {
            return QStringLiteral("stick step %1 TIMED OUT after %2 s")
                .arg(state->stepName)
                .arg(timeout.count());
        });
        state->finishStep(StickError::timeout());
    });
    body(*self);
    co_await done;
}

// A late callback or time-out finds no step and changes nothing.
void BluetoothStickLink::State::finishStep(const std::optional<StickError>& error) {
    if (!step)
        return;
    auto done = *std::exchange(step, std::nullopt);
    stepTimer.cancel();
    if (error)
        done.fail(*error);
    else
        done.resume();
}

// Set-up.

QCoro::Task<void> BluetoothStickLink::State::establish(std::shared_ptr<State> self,
                                                       PhaseHandler phase) {
    std::optional<StickError> failed;
    int length = 0;
    try {
        auto settingUp = setUp(self, std::move(phase));
        length = co_await std::move(settingUp);
    } catch (const StickError& error) {
        failed = error;
    }
    if (failed) {
        StickLog::write([&] { return QStringLiteral("stick setup failed: ") + failed->text(); });
        auto reading = readDiagnostics(self);
        const auto record = co_await std::move(reading);
        StickLog::write([&] {
            return record ? QStringLiteral("stick diagnostics: ") + record->description()
                          : QStringLiteral("stick diagnostics: not available (firmware before "
                                           "1.0.1, or the link is gone)");
        });
        self->close();
        throw *failed;
    }
    self->established = true;
    StickLog::write([&] {
        return QStringLiteral("stick ready: notifications on, write-without-response max %1 bytes")
            .arg(length);
    });
    auto reading = readDiagnostics(self);
    const auto record = co_await std::move(reading);
    if (record)
        StickLog::write(
            [&] { return QStringLiteral("stick diagnostics: ") + record->description(); });
}

// The steps of the set-up, one after another; returns the largest data frame.
QCoro::Task<int> BluetoothStickLink::State::setUp(std::shared_ptr<State> self, PhaseHandler phase) {
    auto connecting = run(self, connectStep, 5s, [](State& state) {
        if (const auto platform = state.platform.lock())
            platform->connect(state.peripheral);
        else
            state.finishStep(StickError::stickUnreachable());
    });
    co_await std::move(connecting);

    auto discovering = run(self, servicesStep, 5s, [](State& state) {
        state.peripheral->discoverServices({StickProtocol::serviceUUID});
    });
    co_await std::move(discovering);

    auto characterising = run(self, characteristicsStep, 5s, [](State& state) {
        const auto services = state.peripheral->services();
        if (!services || !services->contains(StickProtocol::serviceUUID)) {
            state.finishStep(StickError::protocolError(QStringLiteral("not a Brindle stick")));
            return;
        }
        state.peripheral->discoverCharacteristics(
            {StickProtocol::controlUUID, StickProtocol::replyUUID, StickProtocol::dataUUID,
             StickProtocol::diagnosticsUUID},
            StickProtocol::serviceUUID);
    });
    co_await std::move(characterising);
    self->resolveCharacteristics();

    if (phase)
        phase(StickConnectPhase::Securing);
    // Reply is encrypted: reading it over an unpaired link makes the platform pair first.
    auto pairing = run(self, pairStep, 60s,
                       [](State& state) { state.peripheral->readValue(StickProtocol::replyUUID); });
    co_await std::move(pairing);

    auto subscribing = run(self, subscribeStep, 10s, [](State& state) {
        state.peripheral->setNotifyValue(true, StickProtocol::replyUUID);
    });
    co_await std::move(subscribing);

    co_return self->peripheral->maximumWriteValueLength(BluetoothWriteType::WithoutResponse);
}

void BluetoothStickLink::State::resolveCharacteristics() {
    static const QSet<QUuid> known{StickProtocol::controlUUID, StickProtocol::replyUUID,
                                   StickProtocol::dataUUID, StickProtocol::diagnosticsUUID};
    characteristics.clear();
    const auto found = peripheral->characteristics(StickProtocol::serviceUUID);
    for (const BluetoothCharacteristic& characteristic :
         found.value_or(QList<BluetoothCharacteristic>{}))
        if (known.contains(characteristic.uuid))
            characteristics.insert(characteristic.uuid);
    // Diagnostics is optional: firmware before 1.0.1 lacks it.
    if (!has(StickProtocol::controlUUID) || !has(StickProtocol::replyUUID) ||
        !has(StickProtocol::dataUUID))
        throw StickError::protocolError(QStringLiteral("the stick lacks a characteristic"));
}

// Writes.

QCoro::Task<void> BluetoothStickLink::State::writeControl(std::shared_ptr<State> self,
                                                          QByteArray frame) {
    auto writing = run(self, writeStep, 5s, [frame = std::move(frame)](State& state) {
        if (!state.has(StickProtocol::controlUUID))
            state.finishStep(StickError::transferInterrupted());
        else
            state.peripheral->writeValue(frame, StickProtocol::controlUUID,
                                         BluetoothWriteType::WithResponse);
    });
    co_await std::move(writing);
}

// The platform paces the writer: a chunk it has no room for waits, alone, for its ready callback.
QCoro::Task<void> BluetoothStickLink::State::writeData(std::shared_ptr<State> self,
                                                       QByteArray frame, std::stop_token stop) {
    if (self->closed || !self->has(StickProtocol::dataUUID))
        throw StickError::transferInterrupted();
    if (self->peripheral->canSendWriteWithoutResponse()) {
        self->peripheral->writeValue(std::move(frame), StickProtocol::dataUUID,
                                     BluetoothWriteType::WithoutResponse);
        co_return;
    }
    // A second waiting chunk would leave the first one's caller waiting for ever.
    if (self->waitingChunk)
        throw StickError::protocolError(QStringLiteral("a data chunk while another waits"));
    OneShot<void> taken;
    self->waitingChunk = WaitingChunk{std::move(frame), taken};
    const std::weak_ptr<State> weak = self;
    self->waitingChunkTimer = self->clock.schedule(chunkWait, [weak] {
        const auto state = weak.lock();
        if (!state || !state->waitingChunk)
            return;
        StickLog::write([] {
            return QStringLiteral("stick data: the link did not take a chunk for %1 s")
                .arg(chunkWait.count());
        });
        state->failWaitingChunk(StickError::timeout());
    });
    const std::stop_callback onStop(stop, [weak] {
        Executor::post([weak] {
            if (const auto state = weak.lock())
                state->failWaitingChunk(StickError::cancelled());
        });
    });
    co_await taken;
}

void BluetoothStickLink::State::failWaitingChunk(const StickError& error) {
    waitingChunkTimer.cancel();
    if (waitingChunk)
        std::exchange(waitingChunk, std::nullopt)->continuation.fail(error);
}

// The diagnostics record.

QCoro::Task<std::optional<StickDiagnostics>>
BluetoothStickLink::State::readDiagnostics(std::shared_ptr<State> self) {
    if (self->closed || !self->has(StickProtocol::diagnosticsUUID))
        co_return std::nullopt;
    self->diagnosticsValue.reset();
    auto reading = run(self, diagnosticsStep, 3s, [](State& state) {
        state.peripheral->readValue(StickProtocol::diagnosticsUUID);
    });
    bool read = true;
    try {
        co_await std::move(reading);
    } catch (const StickError&) {
        // Diagnostics are a help, never a failure: whatever went wrong, there is no record.
        read = false;
    }
    if (!read || !self->diagnosticsValue)
        co_return std::nullopt;
    co_return StickDiagnostics::decode(*self->diagnosticsValue);
}

// Closing.

void BluetoothStickLink::State::shutDown(StickError error) {
    if (closed)
        return;
    // A stick that was reachable and then dropped interrupted a transfer.
    if (established && error.is<StickError::StickUnreachable>())
        error = StickError::transferInterrupted();
    closed = true;
    finishStep(error);
    failWaitingChunk(error);
    replies.finish();
}

void BluetoothStickLink::State::close() {
    // A link already closed lost its connection, or Bluetooth, already.
    if (!closed) {
        if (const auto central = platform.lock())
            central->cancelConnection(peripheral);
    }
    shutDown(StickError::transferInterrupted());
}

// The peripheral's callbacks.

void BluetoothStickLink::State::didDiscoverServices(std::optional<BluetoothPlatformError> error) {
    StickLog::write([&] {
        const auto services = peripheral->services();
        QStringList list;
        for (const QUuid& service : services.value_or(QList<QUuid>{}))
            list << uuidText(service);
        return QStringLiteral("stick services: %1, error %2")
            .arg(services ? list.join(QStringLiteral(", ")) : QStringLiteral("none"),
                 BluetoothPlatformError::describe(error));
    });
    if (stepRuns(servicesStep))
        finishStep(failure(error, StickError::stickUnreachable()));
}

void BluetoothStickLink::State::didDiscoverCharacteristics(
    QUuid service, std::optional<BluetoothPlatformError> error) {
    StickLog::write([&] {
        const auto found = peripheral->characteristics(service);
        QStringList list;
        for (const BluetoothCharacteristic& characteristic :
             found.value_or(QList<BluetoothCharacteristic>{}))
            list << uuidText(characteristic.uuid).left(8) + QStringLiteral(" props ") +
                        QString::number(characteristic.properties);
        return QStringLiteral("stick characteristics: %1, error %2")
            .arg(found ? list.join(QStringLiteral("; ")) : QStringLiteral("none"),
                 BluetoothPlatformError::describe(error));
    });
    if (stepRuns(characteristicsStep))
        finishStep(failure(error, StickError::stickUnreachable()));
}

void BluetoothStickLink::State::didUpdateValue(QUuid characteristic,
                                               std::optional<QByteArray> value,
                                               std::optional<BluetoothPlatformError> error) {
    if (stepRuns(diagnosticsStep) && characteristic == StickProtocol::diagnosticsUUID) {
        diagnosticsValue = std::move(value);
        finishStep(failure(error, StickError::transferInterrupted()));
        return;
    }
    // Whatever the characteristic: the read that pairs may come back from another one.
    if (stepRuns(pairStep)) {
        const auto result = failure(error, StickError::pairingFailed());
        StickLog::write([&] {
            return QStringLiteral("stick pair result: error %1 → %2")
                .arg(BluetoothPlatformError::describe(error),
                     outcome(result, QStringLiteral("paired (or already bonded)")));
        });
        finishStep(result);
        return;
    }
    if (error || characteristic != StickProtocol::replyUUID || !value)
        return;
    // Not from a stick, whatever it holds: no frame is cut from it.
    if (value->size() > longestValue) {
        StickLog::write([&] {
            return QStringLiteral("stick sent a notification of %1 bytes, longer than any frame — "
                                  "ignored")
                .arg(value->size());
        });
        return;
    }
    replies.push(std::move(*value));
}

void BluetoothStickLink::State::didUpdateNotificationState(
    QUuid, bool isNotifying, std::optional<BluetoothPlatformError> error) {
    if (!stepRuns(subscribeStep))
        return;
    // The outcome follows the error alone, whatever the notification state says.
    const auto result = failure(error, StickError::pairingFailed());
    StickLog::write([&] {
        return QStringLiteral("stick subscribe result: notifying %1, error %2 → %3")
            .arg(isNotifying ? QStringLiteral("true") : QStringLiteral("false"),
                 BluetoothPlatformError::describe(error), outcome(result, QStringLiteral("ok")));
    });
    finishStep(result);
}

void BluetoothStickLink::State::didWriteValue(QUuid, std::optional<BluetoothPlatformError> error) {
    if (!stepRuns(writeStep))
        return;
    if (error)
        StickLog::write([&] {
            return QStringLiteral("stick request write failed: ") +
                   BluetoothPlatformError::describe(error);
        });
    finishStep(failure(error, StickError::transferInterrupted()));
}

// Written without asking the platform again: it has just said there is room.
void BluetoothStickLink::State::isReadyToSendWriteWithoutResponse() {
    if (!waitingChunk || !has(StickProtocol::dataUUID))
        return;
    auto chunk = *std::exchange(waitingChunk, std::nullopt);
    waitingChunkTimer.cancel();
    peripheral->writeValue(std::move(chunk.frame), StickProtocol::dataUUID,
                           BluetoothWriteType::WithoutResponse);
    chunk.continuation.resume();
}

// The link.

BluetoothStickLink::BluetoothStickLink(std::shared_ptr<BluetoothPeripheral> peripheral,
                                       std::weak_ptr<BluetoothPlatform> platform, Clock& clock)
    : m_state(std::make_shared<State>(std::move(peripheral), std::move(platform), clock)) {
    m_state->peripheral->setDelegate(m_state);
}

// Nobody can use a link that is gone, so its connection must not keep the stick taken.
BluetoothStickLink::~BluetoothStickLink() {
    m_state->close();
}

QUuid BluetoothStickLink::id() const {
    return m_state->peripheral->identifier();
}

AsyncQueue<QByteArray> BluetoothStickLink::replies() {
    return m_state->replies;
}

QCoro::Task<int> BluetoothStickLink::maxDataFrameLength() {
    co_return m_state->peripheral->maximumWriteValueLength(BluetoothWriteType::WithoutResponse);
}

QCoro::Task<void> BluetoothStickLink::writeControl(QByteArray frame) {
    return State::writeControl(m_state, std::move(frame));
}

QCoro::Task<void> BluetoothStickLink::writeData(QByteArray frame, std::stop_token stop) {
    return State::writeData(m_state, std::move(frame), std::move(stop));
}

QCoro::Task<void> BluetoothStickLink::close() {
    m_state->close();
    co_return;
}

QCoro::Task<std::optional<StickDiagnostics>> BluetoothStickLink::readDiagnostics() {
    return State::readDiagnostics(m_state);
}

QCoro::Task<void> BluetoothStickLink::establish(PhaseHandler phase) {
    return State::establish(m_state, std::move(phase));
}

void BluetoothStickLink::connected() {
    if (m_state->stepRuns(connectStep))
        m_state->finishStep(std::nullopt);
}

void BluetoothStickLink::shutDown(const StickError& error) {
    m_state->shutDown(error);
}

bool BluetoothStickLink::isClosed() const {
    return m_state->closed;
}
