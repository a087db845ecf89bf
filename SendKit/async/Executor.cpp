#include "SendKit/async/Executor.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QtGlobal>

#include <atomic>
#include <utility>

namespace {

std::atomic<int> posted{0};
std::atomic<int> external{0};

void logUncaught(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        qCritical("uncaught exception in asynchronous work: %s", e.what());
    } catch (...) {
        qCritical("uncaught exception in asynchronous work");
    }
}

Executor::UncaughtHandler& uncaughtHandler() {
    static Executor::UncaughtHandler handler = logUncaught;
    return handler;
}

QCoro::Task<void> guard(QCoro::Task<void> task) {
    try {
        co_await task;
    } catch (...) {
        Executor::reportUncaught(std::current_exception());
    }
}

} // namespace

void Executor::post(std::function<void()> work) {
    auto* app = QCoreApplication::instance();
    if (!app)
        qFatal("Executor::post needs a QCoreApplication");
    ++posted;
    QMetaObject::invokeMethod(
        app,
        [work = std::move(work)] {
            --posted;
            try {
                work();
            } catch (...) {
                reportUncaught(std::current_exception());
            }
        },
        Qt::QueuedConnection);
}

int Executor::postedCount() {
    return posted;
}

int Executor::externalCount() {
    return external;
}

Executor::ExternalWork::ExternalWork() {
    ++external;
}

Executor::ExternalWork::~ExternalWork() {
    --external;
}

void Executor::spawn(QCoro::Task<void> task) {
    guard(std::move(task));
}

Executor::UncaughtHandler Executor::setUncaughtHandler(UncaughtHandler handler) {
    return std::exchange(uncaughtHandler(), handler ? std::move(handler) : logUncaught);
}

void Executor::reportUncaught(std::exception_ptr error) {
    uncaughtHandler()(std::move(error));
}
