#include "SoakHostile.h"

#include "BenchRun.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/StickScan.h"
#include "SendKit/bluetooth/simulated/HostileStick.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/send/StickSend.h"
#include "support/TestHarness.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

using Hostility = HostileStick::Hostility;

// Sends of one hostile stick: enough to show whether memory grows from flood to flood.
constexpr int sendsPerStick = 20;

bool isSafeToShow(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
    });
}

double seconds(std::chrono::nanoseconds duration) {
    return std::chrono::duration<double>(duration).count();
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

// What a hostile stick's behaviour cost the program, over all its sends.
struct Damage {
    int verified = 0;
    QStringList failures;           // the errors of the sends that failed, as logged
    int ignored = 0;                // log lines of frames ignored
    bool safe = true;               // every log line one clean line, every stored file as sent
    qint64 longestIgnoringNs = 0;   // from the first frame ignored in a send to the last
    std::size_t largestBacklog = 0; // notifications waiting in the link at once
    std::chrono::nanoseconds simulated{};
    long rssFirst = 0, rssLast = 0;
};

QCoro::Task<void> sendOnce(StickCentral& central, QUuid id, StickFile file,
                           std::shared_ptr<BluetoothStickLink>& link) {
    auto connecting = central.connect(id, {});
    link = co_await std::move(connecting);
    auto session = std::make_shared<StickSession>(link, central.clock());
    std::exception_ptr failure;
    try {
        auto sending = StickSend::send(
            {file}, true, session,
            []() -> QCoro::Task<std::shared_ptr<StickSession>> {
                throw StickError::transferInterrupted();
            },
            {}, central.clock());
        co_await std::move(sending);
    } catch (...) {
        failure = std::current_exception();
    }
    co_await link->close();
    auto awaiting = central.awaitDisconnect(id);
    co_await std::move(awaiting);
    if (failure)
        std::rethrow_exception(failure);
}

Damage sendTo(Hostility hostility) {
    TestHarness harness;
    auto radio = std::make_shared<SimulatedRadio>(harness.clock());
    const auto stick =
        radio->addStick(LoopbackStick::create(QStringLiteral("Hostile")), {.hostility = hostility});
    StickCentral central(radio, harness.clock());
    std::shared_ptr<BluetoothStickLink> link;
    Damage damage;
    // A flood is worked through in one go: the time it takes is the longest the event loop
    // waits for its turn.
    QElapsedTimer firstIgnored;
    StickLog::setSink([&](const QString& line) {
        damage.safe = damage.safe && isSafeToShow(line);
        if (link)
            damage.largestBacklog = std::max(damage.largestBacklog, link->replies().size());
        if (!line.endsWith(QStringLiteral("ignored")))
            return;
        ++damage.ignored;
        if (!firstIgnored.isValid())
            firstIgnored.start();
        damage.longestIgnoringNs = std::max(damage.longestIgnoringNs, firstIgnored.nsecsElapsed());
    });
    QByteArray data(60'000, '\0');
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(i * 13 + i / 97);
    for (int i = 0; i < sendsPerStick; ++i) {
        const auto start = harness.now();
        firstIgnored.invalidate();
        try {
            harness.run(sendOnce(central, stick->identifier(),
                                 StickFile(QStringLiteral("rose%1.dst").arg(i), data), link));
            ++damage.verified;
        } catch (const StickError& error) {
            damage.failures << error.text();
        }
        damage.simulated += harness.now() - start;
        (i == 0 ? damage.rssFirst : damage.rssLast) = residentKiB();
    }
    StickLog::setSink({});
    const auto& files = stick->stick()->files();
    // A verified send left exactly its file.
    for (const auto& [name, stored] : files)
        damage.safe = damage.safe && stored.data == data;
    return damage;
}

} // namespace

int runHostileSticks() {
    TestHarness harness;
    auto radio = std::make_shared<SimulatedRadio>(harness.clock());
    radio->addStick(LoopbackStick::create(QStringLiteral("Hostile")),
                    {.name = HostileStick::name()});
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
                seconds(harness.now() - started));
    safe = safe && !failure.isEmpty();

    const std::pair<Hostility, const char*> sticks[] = {
        {Hostility::Flood, "flood"},
        {Hostility::OversizedFrames, "oversized frames"},
        {Hostility::UndersizedFrames, "undersized frames"},
        {Hostility::StrayReplies, "stray replies"},
        {Hostility::FallsSilent, "falls silent"},
    };
    for (const auto& [hostility, name] : sticks) {
        const Damage damage = sendTo(hostility);
        QStringList failures = damage.failures;
        failures.removeDuplicates();
        std::printf("%s: %d of %d sends verified%s%s, %.1f s simulated; %d frames ignored, in "
                    "%.1f ms at most per send; at most %zu notifications waiting in the link; rss "
                    "%ld KiB after the first send, %ld KiB after the last\n",
                    name, damage.verified, sendsPerStick,
                    failures.isEmpty() ? "" : ", the others failed with ",
                    qPrintable(failures.join(QStringLiteral(", "))), seconds(damage.simulated),
                    damage.ignored, damage.longestIgnoringNs / 1e6, damage.largestBacklog,
                    damage.rssFirst, damage.rssLast);
        safe = safe && damage.safe && damage.verified + damage.failures.size() == sendsPerStick;
    }
    return safe ? 0 : 1;
}
