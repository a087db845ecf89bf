#include "cli/SimulatedStick.h"

#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"

SimulatedStick::SimulatedStick(const SimulatorSetup& setup, Clock& clock)
    : m_stick(LoopbackStick::create(QString::fromLatin1(deviceName)))
    , m_radio(std::make_shared<SimulatedRadio>(clock, setup.radio)) {
    if (setup.folder) {
        m_folder.emplace(*setup.folder);
        m_folder->load(*m_stick);
    }
    m_stick->setFaults(setup.faults);
    if (setup.usbState)
        m_stick->setUSBState(*setup.usbState);
    m_radio->setManagerState(setup.bluetooth);
    m_radio->addStick(m_stick, setup.peripheral);
}

SimulatedStick::~SimulatedStick() = default;

void SimulatedStick::save() {
    if (m_folder)
        m_folder->save(*m_stick);
}
