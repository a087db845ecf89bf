#include "SoakHostile.h"

#include "SendKit/StickError.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/StickScan.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "support/TestHarness.h"

#include <cstdio>

namespace {

// 248 bytes of UTF-8: a name that reverses the text after it, with tabs, line breaks and
// escape characters on the way.
QString hostileName() {
    QByteArray name = "Brindle";
    while (name.size() < 248)
        name += QByteArray("\xe2\x80\xae\t\n\x1b[2J\x01x").left(248 - name.size());
    return QString::fromUtf8(name);
}

bool isSafeToShow(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return false;
    }
    return true;
}

QCoro::Task<QList<StickPeripheral>> firstSighting(StickCentral& central) {
    StickScan scan = central.scan();
    auto next = scan.next();
    co_return (co_await std::move(next)).value_or(QList<StickPeripheral>{});
}

QCoro::Task<QString> connectionFailure(StickCentral& central, QUuid id) {
    try {
        auto connecting = central.connect(id, {});
        co_await std::move(connecting);
    } catch (const StickError& error) {
        co_return error.text();
    }
    co_return QString();
}

} // namespace

int runHostileSticks() {
    TestHarness harness;
    auto radio = std::make_shared<SimulatedRadio>(harness.clock());
    radio->addStick(LoopbackStick::create(QStringLiteral("Hostile")), {.name = hostileName()});
    const auto serviceless = radio->addStick(LoopbackStick::create(QStringLiteral("Empty")),
                                             {.rssi = -90, .lacksStickService = true});
    StickCentral central(radio, harness.clock());

    const QList<StickPeripheral> sighted = harness.run(firstSighting(central));
    bool safe = !sighted.isEmpty();
    for (const StickPeripheral& stick : sighted) {
        safe = safe && isSafeToShow(stick.name);
        std::printf("hostile name shown as \"%s\" (%lld characters)\n", qPrintable(stick.name),
                    qlonglong(stick.name.size()));
    }
    const auto started = harness.now();
    const QString failure = harness.run(connectionFailure(central, serviceless->identifier()));
    std::printf("a stick without the service: \"%s\" after %.1f s\n", qPrintable(failure),
                std::chrono::duration<double>(harness.now() - started).count());
    return safe && !failure.isEmpty() ? 0 : 1;
}
