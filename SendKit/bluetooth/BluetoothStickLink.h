#pragma once

#include "SendKit/bluetooth/StickConnectPhase.h"
#include "SendKit/protocol/StickDiagnostics.h"
#include "SendKit/session/StickLink.h"

#include <QCoro/QCoroTask>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class BluetoothPeripheral;
class BluetoothPlatform;
class Clock;
class StickCentral;
class StickError;

// The link to one stick over its GATT service, for one connection attempt: set-up (connect,
// discover, pair by an encrypted read, subscribe), request writes with response, data chunks
// written without response under the platform's flow control, the frames the stick notifies, and
// the optional diagnostics record. Every piece of platform work is one named step under a
// time-out, one at a time. Only StickCentral makes one; a link that goes away closes its
// connection.
class BluetoothStickLink : public StickLink {
public:
    ~BluetoothStickLink() override;
    BluetoothStickLink(const BluetoothStickLink&) = delete;
    BluetoothStickLink& operator=(const BluetoothStickLink&) = delete;

    // The stick's identifier.
    QUuid id() const;

    AsyncQueue<QByteArray> replies() override;
    QCoro::Task<int> maxDataFrameLength() override;
    QCoro::Task<void> writeControl(QByteArray frame) override;
    QCoro::Task<void> writeData(QByteArray frame, std::stop_token stop) override;
    QCoro::Task<void> close() override;

    // The stick's diagnostics record, when it has one and it can be read now; never fails.
    QCoro::Task<std::optional<StickDiagnostics>> readDiagnostics();

private:
    friend class StickCentral;
    class State;
    using PhaseHandler = std::function<void(StickConnectPhase)>;

    // The platform is held weakly: the central that owns it may go first.
    BluetoothStickLink(std::shared_ptr<BluetoothPeripheral> peripheral,
                       std::weak_ptr<BluetoothPlatform> platform, Clock& clock);

    // Connects, discovers the stick's service, pairs and subscribes; on failure the link is
    // closed and the error thrown.
    QCoro::Task<void> establish(PhaseHandler phase);
    // The platform reports the connection made: the "connect" step is done.
    void connected();
    // The connection failed or dropped, or Bluetooth went away: what is outstanding fails with
    // the error and the link is closed for good.
    void shutDown(const StickError& error);
    bool isClosed() const;

    std::shared_ptr<State> m_state;
};
