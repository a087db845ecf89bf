#include "SendKit/bluetooth/StickScan.h"

#include <utility>

StickScan::StickScan(AsyncQueue<QList<StickPeripheral>> lists, std::function<void()> onStop)
    : m_lists(std::move(lists))
    , m_onStop(std::move(onStop)) {}

StickScan::~StickScan() {
    stop();
}

StickScan::StickScan(StickScan&& other) noexcept
    : m_lists(other.m_lists)
    , m_onStop(std::exchange(other.m_onStop, {})) {}

StickScan& StickScan::operator=(StickScan&& other) noexcept {
    if (this != &other) {
        stop();
        m_lists = other.m_lists;
        m_onStop = std::exchange(other.m_onStop, {});
    }
    return *this;
}

void StickScan::stop() {
    if (auto onStop = std::exchange(m_onStop, {})) {
        m_lists.finish();
        onStop();
    }
}
