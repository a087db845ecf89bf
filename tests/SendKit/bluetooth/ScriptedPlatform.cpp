#include "ScriptedPlatform.h"

void ScriptedPlatform::Device::readValue(QUuid characteristic) {
    const bool pairing = characteristic == StickProtocol::replyUUID;
    const Answer a = pairing ? pairAnswer : diagnosticsAnswer;
    const auto value = a.error ? std::nullopt : std::optional(pairing ? QByteArray() : diagnostics);
    post(a, m_delegate, &Delegate::didUpdateValue, characteristic, value, a.error);
}

void ScriptedPlatform::Device::writeValue(QByteArray value, QUuid characteristic,
                                          BluetoothWriteType type) {
    const bool withResponse = type == BluetoothWriteType::WithResponse;
    (withResponse ? controlWrites : dataWrites) << value;
    post(withResponse ? writeAnswer : Answer{{}, true}, m_delegate, &Delegate::didWriteValue,
         characteristic, writeAnswer.error);
}

void ScriptedPlatform::connect(std::shared_ptr<BluetoothPeripheral> peripheral) {
    const Answer a = std::static_pointer_cast<Device>(peripheral)->connectAnswer;
    if (a.error)
        post(a, m_delegate, &Delegate::didFailToConnect, peripheral, a.error);
    else
        post(a, m_delegate, &Delegate::didConnect, peripheral);
}
