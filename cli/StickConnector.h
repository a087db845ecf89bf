#pragma once

#include "SendKit/bluetooth/StickPeripheral.h"
#include "SendKit/session/StickSession.h"

#include <QCoroTask>
#include <QList>
#include <QString>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AppSettings;
class BluetoothStickLink;
class StickCentral;

// How the commands reach the stick: through the central, to the stick --stick names (by its
// identifier or the name it advertises), else the one connected last, else the strongest a short
// scan finds. The stick reached is remembered in the setting the application reads too, so the
// window and the tool go to the same stick. The connector owns the link under the session it
// hands out.
class StickConnector {
public:
    // How long a search for a stick looks at most.
    static constexpr std::chrono::seconds searchTime{5};
    // Once a stick shows up, how long a search for the strongest goes on looking for others.
    static constexpr std::chrono::seconds settleTime{1};
    // How long Bluetooth may take to settle before the tool gives up on it.
    static constexpr std::chrono::seconds readyTime{10};

    StickConnector(StickCentral& central, std::optional<QString> stick, AppSettings& settings);
    ~StickConnector();
    StickConnector(const StickConnector&) = delete;
    StickConnector& operator=(const StickConnector&) = delete;

    // A session over a new link to the stick. The link of the session handed out before, if any,
    // is closed first: the send flow reconnects this way after a link lost during COMMIT, and
    // reaches the same stick. Throws StickError.
    QCoro::Task<std::shared_ptr<StickSession>> connect();
    // Closes the open link and waits (briefly) until the stick is reported gone.
    QCoro::Task<void> close();

    // Once Bluetooth is ready, the sticks a scan finds, strongest first: the last list within the
    // duration, or the list settle after found() first held for it. Throws what the central's
    // ready() throws.
    QCoro::Task<QList<StickPeripheral>>
    scan(std::chrono::milliseconds duration, std::chrono::milliseconds settle = {},
         std::function<bool(const QList<StickPeripheral>&)> found = {});

private:
    // The central's ready(), bounded: a bluetoothd that never answers must not hold the terminal.
    QCoro::Task<void> ready();
    QCoro::Task<std::shared_ptr<BluetoothStickLink>> open();
    QCoro::Task<std::shared_ptr<BluetoothStickLink>> link(QUuid id);
    // The identifier of the strongest stick of that name (any name when none) a search finds.
    QCoro::Task<QUuid> search(std::optional<QString> name);

    StickCentral& m_central;
    std::optional<QString> m_choice;
    AppSettings& m_settings;
    std::optional<QUuid> m_id;
    std::shared_ptr<BluetoothStickLink> m_link;
};
