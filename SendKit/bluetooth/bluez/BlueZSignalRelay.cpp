#include "SendKit/bluetooth/bluez/BlueZSignalRelay.h"

BlueZSignalRelay::BlueZSignalRelay(std::function<void(const QDBusMessage&)> handler)
    : m_handler(std::move(handler)) {}

void BlueZSignalRelay::receive(const QDBusMessage& message) {
    m_handler(message);
}
