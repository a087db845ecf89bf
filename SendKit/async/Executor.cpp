#include "SendKit/async/Executor.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>
#include <QtGlobal>

#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

namespace {

std::atomic<int> posted{0};
std::atomic<int> external{0};

// Posted work waits here and runs in batches, one Qt event per batch: an event costs a system
// call and a wake-up, which is most of what a resumption would cost otherwise.
struct WorkQueue {
    std::mutex mutex;
    std::deque<std::function<void()>> work;
    bool eventPosted = false; // a drain event is on its way and has not started yet
    int draining = 0;         // drains running; more than one only inside a nested event loop
};

WorkQueue& workQueue() {
    static WorkQueue queue;
    return queue;
}

// Timers, sockets and other events get their turn after this many items of one drain.
constexpr int maxDrain = 256;

void drain();

void postDrain() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), drain, Qt::QueuedConnection);
}

// Runs the queued work in posting order, including work posted meanwhile, up to the cap.
void drain() {
    WorkQueue& queue = workQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.eventPosted = false;
        ++queue.draining;
    }
    for (int ran = 0;; ++ran) {
        std::function<void()> work;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.work.empty()) {
                --queue.draining;
                return;
            }
            if (ran == maxDrain) {
                --queue.draining;
                queue.eventPosted = true;
                postDrain();
                return;
            }
            work = std::move(queue.work.front());
            queue.work.pop_front();
        }
        --posted;
        try {
            work();
        } catch (...) {
            Executor::reportUncaught(std::current_exception());
        }
    }
}

// Work that enters a nested event loop holds up the drain that runs it; before that loop waits,
// the work posted meanwhile gets an event of its own.
void postDrainBeforeBlocking() {
    WorkQueue& queue = workQueue();
    std::lock_guard lock(queue.mutex);
    if (queue.draining > 0 && !queue.work.empty() && !queue.eventPosted) {
        queue.eventPosted = true;
        postDrain();
    }
}

bool watchBlocking(QCoreApplication* app) {
    auto* dispatcher = QAbstractEventDispatcher::instance(app->thread());
    return dispatcher && QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, app,
                                          postDrainBeforeBlocking);
}

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
    [[maybe_unused]] static const bool watching = watchBlocking(app);
    WorkQueue& queue = workQueue();
    std::lock_guard lock(queue.mutex);
    ++posted;
    queue.work.push_back(std::move(work));
    // A running drain takes the new work in turn.
    if (!queue.eventPosted && queue.draining == 0) {
        queue.eventPosted = true;
        postDrain();
    }
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
