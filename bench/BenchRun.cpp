#include "BenchRun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>

#include <cstdio>

void print(const Figure& figure) {
    std::printf("%s: %.2f %s\n", qPrintable(figure.name), figure.value, qPrintable(figure.unit));
    std::fflush(stdout);
}

std::chrono::nanoseconds fastestOf(int repeats, const std::function<void()>& work) {
    auto fastest = std::chrono::nanoseconds::max();
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        fastest = std::min(fastest, std::chrono::steady_clock::now() - start);
    }
    return fastest;
}

void bench_detail::runLoopUntil(const bool& done) {
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}
