#include "cli/StickConnector.h"

#include "SendKit/StickError.h"
#include "SendKit/async/ClockTimer.h"
#include "SendKit/async/Executor.h"
#include "SendKit/async/OneShot.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/StickScan.h"
#include "app/core/AppSettings.h"

#include <algorithm>
#include <utility>

StickConnector::StickConnector(StickCentral& central, std::optional<QString> stick,
                               AppSettings& settings)
    : m_central(central)
    , m_choice(std::move(stick))
    , m_settings(settings) {
    // An identifier needs no search.
    if (m_choice && !QUuid::fromString(*m_choice).isNull())
        m_id = QUuid::fromString(*m_choice);
}

StickConnector::~StickConnector() = default;

QCoro::Task<std::shared_ptr<StickSession>> StickConnector::connect() {
    if (auto previous = std::exchange(m_link, nullptr)) {
        auto closing = previous->close();
        co_await std::move(closing);
    }
    auto readying = ready();
    co_await std::move(readying);
    auto opening = open();
    m_link = co_await std::move(opening);
    m_settings.setLastStickID(m_id);
    co_return std::make_shared<StickSession>(m_link, m_central.clock());
}

QCoro::Task<void> StickConnector::close() {
    const std::shared_ptr<BluetoothStickLink> link = std::exchange(m_link, nullptr);
    if (!link)
        co_return;
    auto closing = link->close();
    co_await std::move(closing);
    // Leaving before the stick is reported gone would leave it taken for a moment longer.
    auto gone = m_central.awaitDisconnect(link->id());
    co_await std::move(gone);
}

QCoro::Task<QList<StickPeripheral>>
StickConnector::scan(std::chrono::milliseconds duration, std::chrono::milliseconds settle,
                     std::function<bool(const QList<StickPeripheral>&)> found) {
    auto readying = ready();
    co_await std::move(readying);
    StickScan scan = m_central.scan();
    ClockTimer deadline = m_central.clock().schedule(duration, [&scan] { scan.stop(); });
    bool settling = false;
    QList<StickPeripheral> last;
    while (const std::optional<QList<StickPeripheral>> list = co_await scan.next()) {
        last = *list;
        if (!settling && found && found(last)) {
            settling = true;
            deadline = m_central.clock().schedule(settle, [&scan] { scan.stop(); });
        }
    }
    co_return last;
}

QCoro::Task<void> StickConnector::ready() {
    OneShot<void> settled;
    Executor::spawn([](StickCentral& central, OneShot<void> settled) -> QCoro::Task<void> {
        try {
            auto readying = central.ready();
            co_await std::move(readying);
            settled.resume();
        } catch (...) {
            settled.fail(std::current_exception());
        }
    }(m_central, settled));
    const ClockTimer limit = m_central.clock().schedule(
        readyTime, [settled]() mutable { settled.fail(StickError::bluetoothUnsupported()); });
    co_await settled;
}

QCoro::Task<std::shared_ptr<BluetoothStickLink>> StickConnector::open() {
    if (!m_id && m_choice) {
        auto searching = search(m_choice);
        m_id = co_await std::move(searching);
    }
    if (m_id) {
        auto linking = link(*m_id);
        co_return co_await std::move(linking);
    }
    if (const std::optional<QUuid> last = m_settings.lastStickID()) {
        // A stick this computer no longer knows is searched for like a first one.
        try {
            auto linking = link(*last);
            std::shared_ptr<BluetoothStickLink> opened = co_await std::move(linking);
            m_id = last;
            co_return opened;
        } catch (const StickError& error) {
            if (!error.is<StickError::NoStickFound>())
                throw;
        }
    }
    auto searching = search(std::nullopt);
    m_id = co_await std::move(searching);
    auto linking = link(*m_id);
    co_return co_await std::move(linking);
}

QCoro::Task<std::shared_ptr<BluetoothStickLink>> StickConnector::link(QUuid id) {
    auto connecting = m_central.connect(id, [](StickConnectPhase) {});
    co_return co_await std::move(connecting);
}

QCoro::Task<QUuid> StickConnector::search(std::optional<QString> name) {
    const auto named = [name](const StickPeripheral& stick) {
        return !name || stick.name.compare(*name, Qt::CaseInsensitive) == 0;
    };
    const auto found = [named](const QList<StickPeripheral>& list) {
        return std::any_of(list.begin(), list.end(), named);
    };
    // A stick of the name asked for ends the search; any stick leaves a moment for stronger ones.
    auto scanning = scan(searchTime, name ? std::chrono::milliseconds(0) : settleTime, found);
    const QList<StickPeripheral> list = co_await std::move(scanning);
    const auto stick = std::find_if(list.begin(), list.end(), named);
    if (stick == list.end())
        throw StickError::noStickFound();
    co_return stick->id;
}
