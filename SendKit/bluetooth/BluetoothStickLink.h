#pragma once

#include "SendKit/bluetooth/StickConnectPhase.h"
#include "SendKit/protocol/StickDiagnostics.h"
#include "SendKit/session/StickLink.h"

#include <QCoro/QCoroTask>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class StickCentral;

// The link to one stick over its GATT service, for one connection attempt: set-up (connect,
// discover, pair by an encrypted read, subscribe), request writes with response, data chunks
// written without response under the platform's flow control, the frames the stick notifies, and
// the optional diagnostics record. Every piece of platform work is one named step under a
// time-out, one at a time. Only StickCentral makes one.
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
    explicit BluetoothStickLink(std::shared_ptr<State> state);

    std::shared_ptr<State> m_state;
};
