#include "BluetoothBench.h"

#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/send/StickSend.h"
#include "support/TestHarness.h"

#include <memory>

namespace {

using namespace std::chrono_literals;

QCoro::Task<StickReceipt> connectAndSend(StickCentral& central, QUuid id, StickFile file,
                                         Clock& clock) {
    auto connecting = central.connect(id, {});
    std::shared_ptr<StickLink> link = co_await std::move(connecting);
    auto session = std::make_shared<StickSession>(link, clock);
    auto sending = StickSend::send({file}, false, session, {}, {}, clock);
    const StickReceipt receipt = co_await std::move(sending);
    co_await link->close();
    co_return receipt;
}

// File bytes per simulated second of the send itself (not of connecting).
double goodput(const RadioModel& model, const StickFile& file) {
    TestHarness harness;
    auto radio = std::make_shared<SimulatedRadio>(harness.clock(), model);
    const auto stick = radio->addStick(LoopbackStick::create(QStringLiteral("Bench")));
    StickCentral central(radio, harness.clock());
    const StickReceipt receipt =
        harness.run(connectAndSend(central, stick->identifier(), file, harness.clock()));
    return double(file.data().size()) / receipt.seconds;
}

} // namespace

QList<Figure> measureBluetooth() {
    const StickFile file(QStringLiteral("bench.dst"), QByteArray(LoopbackStick::psramStage, 'x'));
    const RadioModel clean;
    const RadioModel lossy{.dropRate = 0.01};
    const RadioModel slow{.phy = RadioModel::Phy::LE1M, .connectionInterval = 30ms};
    const double cleanGoodput = goodput(clean, file);
    return {
        Figure{"goodput-2m", cleanGoodput / 1000, "kB/s"},
        Figure{"goodput-2m-ratio", cleanGoodput / clean.capacity(), "x"},
        Figure{"goodput-2m-loss1", goodput(lossy, file) / lossy.capacity(), "x"},
        Figure{"goodput-1m-ratio", goodput(slow, file) / slow.capacity(), "x"},
    };
}
