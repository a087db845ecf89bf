#include "SendBench.h"

#include "SendKit/async/SystemClock.h"
#include "SendKit/files/StickFileName.h"
#include "SendKit/loopback/LoopbackLink.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/send/StickSend.h"

#include <QCryptographicHash>

#include <algorithm>
#include <memory>

namespace {

constexpr int repeats = 7;
constexpr int nameRounds = 2'000;

double megabytesPerSecond(qint64 bytes, std::chrono::nanoseconds time) {
    return double(bytes) / 1e6 / std::chrono::duration<double>(time).count();
}

QByteArray designBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 251) & 0xFF);
    return bytes;
}

// What any send of the file costs at the least: the host's digest of the file, the stick's
// staging copy, its check of the staged data and its read-back digest.
void unavoidableWork(const QByteArray& data) {
    const QByteArray staged(data.constData(), data.size());
    QCryptographicHash::hash(data, QCryptographicHash::Sha256);
    QCryptographicHash::hash(staged, QCryptographicHash::Sha256);
    QCryptographicHash::hash(staged, QCryptographicHash::Sha256);
}

} // namespace

QList<Figure> measureSend() {
    SystemClock clock;
    const QByteArray data = designBytes(LoopbackStick::psramStage);
    // Send and baseline take turns, so that both see the same machine. Each send goes to a fresh
    // stick over a fresh session, made before the clock starts; making the file, with its
    // digest, is part of the send.
    auto sendTime = std::chrono::nanoseconds::max();
    auto limitTime = std::chrono::nanoseconds::max();
    for (int i = 0; i < repeats; ++i) {
        const std::shared_ptr<LoopbackStick> stick = LoopbackStick::create(QStringLiteral("Bench"));
        const auto session =
            std::make_shared<StickSession>(std::shared_ptr<StickLink>(stick->connect()), clock);
        sendTime = std::min(sendTime, fastestOf(1, [&] {
                                const StickFile file(QStringLiteral("bench.dst"), data);
                                runOnLoop(StickSend::send({file}, false, session, {}, {}, clock));
                            }));
        limitTime = std::min(limitTime, fastestOf(1, [&] { unavoidableWork(data); }));
    }

    const QStringList bases = {
        QStringLiteral("Blümchen"),        QStringLiteral("Rose 2 (big)"),
        QStringLiteral("Ελληνικό σχέδιο"), QStringLiteral("日本のデザイン"),
        QStringLiteral("a / b...c"),       QStringLiteral("Straße mit Öl und Äpfeln"),
    };
    // The first call builds the transliterator; the figure is for the calls that reuse it.
    StickFileName::sanitized(bases.first(), QStringLiteral("pes"));
    const auto namesTime = fastestOf(1, [&] {
        for (int round = 0; round < nameRounds; ++round)
            StickFileName::sanitized(bases[round % bases.size()], QStringLiteral("pes"));
    });

    return {
        Figure{"send", megabytesPerSecond(data.size(), sendTime), "MB/s"},
        Figure{"send-limit", megabytesPerSecond(data.size(), limitTime), "MB/s"},
        Figure{"send-vs-limit", double(sendTime.count()) / double(limitTime.count()), "x"},
        Figure{"sanitized",
               std::chrono::duration<double, std::micro>(namesTime).count() / nameRounds, "us"},
    };
}
