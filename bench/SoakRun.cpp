#include "SoakRun.h"

#include "BenchRun.h"

#include "SendKit/StickError.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/send/StickSend.h"
#include "support/TestHarness.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QSet>

#include <cstdio>
#include <memory>
#include <random>

namespace {

constexpr int sends = 1000;
constexpr int steadyFrom = 100;

enum class Fault {
    none,
    chunkDrop,
    stall,
    linkDrop,
    linkDropAtCommit,
    bluetoothOff,
    stickBusy,
    corruptReadback,
};
constexpr int faultCount = int(Fault::corruptReadback) + 1;
const char* const faultNames[faultCount] = {
    "none",       "chunk drop",        "stall", "link drop", "link drop at COMMIT", "Bluetooth off",
    "stick busy", "corrupt read-back",
};

QByteArray sha256(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

qsizetype openDescriptors() {
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot).size();
}

// A design of a few bytes to some twenty kilobytes, its bytes from the seed; small enough that a
// thousand of them fit on the stick together.
StickFile design(std::mt19937& random, int index) {
    static const char* const extensions[] = {"dst", "pes", "jef", "exp", "png"};
    const int sizes[] = {1, 700, 5'000, 20'000};
    QByteArray data(sizes[random() % std::size(sizes)] + int(random() % 500), '\0');
    for (char& byte : data)
        byte = char(random());
    return StickFile(QStringLiteral("soak%1.%2").arg(index).arg(extensions[random() % 5]), data);
}

QCoro::Task<std::shared_ptr<StickSession>> connectSession(StickCentral& central, QUuid id,
                                                          std::shared_ptr<StickLink>& link) {
    auto connecting = central.connect(id, {});
    link = co_await std::move(connecting);
    co_return std::make_shared<StickSession>(link, central.clock());
}

// One connection and one file; a link lost at COMMIT is survived by connecting again, as the
// application does.
QCoro::Task<void> sendOnce(StickCentral& central, QUuid id, StickFile file) {
    std::shared_ptr<StickLink> link;
    auto connecting = connectSession(central, id, link);
    std::shared_ptr<StickSession> session = co_await std::move(connecting);
    const StickSend::Reconnect reconnect = [&]() -> QCoro::Task<std::shared_ptr<StickSession>> {
        co_await link->close();
        auto awaiting = central.awaitDisconnect(id);
        co_await std::move(awaiting);
        auto again = connectSession(central, id, link);
        co_return co_await std::move(again);
    };
    std::exception_ptr failure;
    try {
        auto sending = StickSend::send({file}, true, session, reconnect, {}, central.clock());
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

} // namespace

int runSoak(unsigned seed) {
    QElapsedTimer elapsed;
    elapsed.start();
    std::mt19937 random(seed);
    TestHarness harness;
    auto radio = std::make_shared<SimulatedRadio>(harness.clock());
    const auto stick = radio->addStick(LoopbackStick::create(QStringLiteral("Soak")));
    StickCentral central(radio, harness.clock());

    // Digests rather than bytes, so that the soak's own records barely count in its memory.
    QMap<QString, QByteArray> sent;     // every file, whatever became of its send
    QMap<QString, QByteArray> verified; // the files whose send reported them verified
    int outcomes[faultCount][2] = {};   // per fault: [failed with a StickError, verified]
    long rssAtSteady = 0;
    qsizetype fdsAtSteady = 0;
    int unexpected = 0;
    QMap<QString, int> errors; // by the text the user sees
    QSet<QString> readbackFailures;
    for (int i = 1; i <= sends; ++i) {
        const StickFile file = design(random, i);
        const auto fault = Fault(random() % faultCount);
        const quint32 offset = quint32(random() % quint32(file.data().size()));
        SimulatedPeripheral::Setup setup = stick->setup();
        LoopbackStick::Faults faults = stick->stick()->faults();
        switch (fault) {
        case Fault::none:
            break;
        case Fault::chunkDrop:
            faults.dropChunksAt.insert(offset - offset % 64);
            break;
        case Fault::stall:
            setup.readyNeverComes = true;
            break;
        case Fault::linkDrop:
            setup.dropLinkAtOffset = offset;
            break;
        case Fault::linkDropAtCommit:
            setup.dropLinkAtCommit = true;
            break;
        case Fault::bluetoothOff:
            setup.bluetoothOffAtOffset = offset;
            break;
        case Fault::stickBusy:
            faults.hostBusyCommits = 1;
            break;
        case Fault::corruptReadback:
            faults.corruptReadback = true;
            break;
        }
        stick->setSetup(setup);
        stick->stick()->setFaults(faults);
        const QByteArray digest = sha256(file.data());
        sent[file.name()] = digest;
        try {
            harness.run(sendOnce(central, stick->identifier(), file));
            verified[file.name()] = digest;
            ++outcomes[int(fault)][1];
        } catch (const StickError& error) {
            if (error.text().isEmpty())
                ++unexpected;
            ++errors[error.text()];
            if (fault == Fault::corruptReadback)
                readbackFailures.insert(file.name());
            ++outcomes[int(fault)][0];
        } catch (const std::exception& error) {
            std::printf("send %d (%s) failed outside StickError: %s\n", i, faultNames[int(fault)],
                        error.what());
            ++unexpected;
        }
        // Faults that did not fire are cleared so the next send draws its own.
        radio->setManagerState(BluetoothManagerState::PoweredOn);
        stick->setSetup({});
        stick->stick()->setFaults({});
        if (i == steadyFrom) {
            rssAtSteady = residentKiB();
            fdsAtSteady = openDescriptors();
        }
    }

    // Every verified file is on the stick as sent; nothing on the stick is half-written.
    int lost = 0;
    int damaged = 0;
    int storedDespiteFailure = 0;
    int leftCorrupt = 0;
    const auto& files = stick->stick()->files();
    for (auto it = verified.cbegin(); it != verified.cend(); ++it) {
        const auto stored = files.find(it.key());
        lost += stored == files.end() || sha256(stored->second.data) != it.value();
    }
    for (const auto& [name, stored] : files) {
        if (sha256(stored.data) != sent.value(name)) {
            // A read-back that differed was reported; the file it left is counted apart.
            if (readbackFailures.contains(name))
                ++leftCorrupt;
            else
                ++damaged;
        } else if (!verified.contains(name))
            ++storedDespiteFailure;
    }

    std::printf("soak: %d sends, seed %u, %.1f s\n", sends, seed, elapsed.elapsed() / 1000.0);
    std::printf("%-20s %9s %9s\n", "fault", "verified", "failed");
    for (int f = 0; f < faultCount; ++f)
        std::printf("%-20s %9d %9d\n", faultNames[f], outcomes[f][1], outcomes[f][0]);
    for (auto it = errors.cbegin(); it != errors.cend(); ++it)
        std::printf("  %4d x %s\n", it.value(), qPrintable(it.key()));
    std::printf("stick: %zu files, %d verified files lost, %d damaged, %d stored although the "
                "send failed (answer lost), %d left as read back after a reported mismatch\n",
                files.size(), lost, damaged, storedDespiteFailure, leftCorrupt);
    const long rssAtEnd = residentKiB();
    qint64 storedBytes = 0;
    for (const auto& entry : files)
        storedBytes += entry.second.data.size();
    std::printf(
        "rss: %ld KiB at send %d, %ld KiB at send %d, of which the stick's files %lld KiB\n",
        rssAtSteady, steadyFrom, rssAtEnd, sends, storedBytes / 1024);
    std::printf("fds: %lld at send %d, %lld at send %d\n", qlonglong(fdsAtSteady), steadyFrom,
                qlonglong(openDescriptors()), sends);
    std::printf("failures outside StickError or without text: %d\n", unexpected);
    return unexpected == 0 && lost == 0 && damaged == 0 ? 0 : 1;
}
