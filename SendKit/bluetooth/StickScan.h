#pragma once

#include "SendKit/async/AsyncQueue.h"
#include "SendKit/bluetooth/StickPeripheral.h"

#include <QList>

#include <functional>
#include <optional>

// One scan of StickCentral::scan(): each element is the whole current list of sticks, strongest
// signal first. The scan stops when this handle is destroyed or stop() is called; a scan that a
// newer one superseded simply receives nothing more, and its end does not stop the newer one.
class StickScan {
public:
    StickScan(AsyncQueue<QList<StickPeripheral>> lists, std::function<void()> onStop);
    ~StickScan();
    StickScan(StickScan&& other) noexcept;
    StickScan& operator=(StickScan&& other) noexcept;
    StickScan(const StickScan&) = delete;
    StickScan& operator=(const StickScan&) = delete;

    // `co_await scan.next()` yields the next list, or none once the scan has stopped.
    AsyncQueue<QList<StickPeripheral>>::Next next() const { return m_lists.next(); }
    // Stops the scan (once); the stream then ends.
    void stop();

private:
    AsyncQueue<QList<StickPeripheral>> m_lists;
    std::function<void()> m_onStop;
};
