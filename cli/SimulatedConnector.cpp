#include "cli/SimulatedConnector.h"

#include "SendKit/loopback/LoopbackLink.h"
#include "SendKit/loopback/LoopbackStick.h"

SimulatedConnector::SimulatedConnector(const SimulatorSetup& setup, Clock& clock)
    : m_clock(clock)
    , m_stick(LoopbackStick::create(QString::fromLatin1(deviceName))) {
    if (setup.folder) {
        m_folder.emplace(*setup.folder);
        m_folder->load(*m_stick);
    }
    m_stick->setFaults(setup.faults);
    if (setup.usbState)
        m_stick->setUSBState(*setup.usbState);
}

SimulatedConnector::~SimulatedConnector() = default;

QCoro::Task<std::shared_ptr<StickSession>> SimulatedConnector::connect() {
    if (m_link)
        co_await m_link->close();
    m_link = m_stick->connect();
    co_return std::make_shared<StickSession>(m_link, m_clock);
}

QCoro::Task<void> SimulatedConnector::close() {
    if (m_link)
        co_await m_link->close();
    m_link.reset();
    if (m_folder)
        m_folder->save(*m_stick);
}
