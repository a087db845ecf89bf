#pragma once

#include <QCoroFuture>
#include <QCoroTask>
#include <QFuture>

#include <exception>
#include <functional>

// The main thread's event loop, seen as the one executor of the async kernel. Every resumption
// the kernel makes goes through post(), so a test harness can tell exactly whether posted work
// remains; its counters and the handler for errors escaping detached tasks are process-wide on
// purpose, because there is only one loop.
class Executor {
public:
    Executor() = delete;

    // Runs the work later on the main thread's event loop, never inline, after the work posted
    // before it. Work posted while earlier work waits or runs shares its event. Callable from any
    // thread; needs a QCoreApplication. An exception escaping the work goes to the uncaught
    // handler.
    static void post(std::function<void()> work);

    // Posted work that has not run yet.
    static int postedCount();

    // Work on other threads whose end the main thread is waiting for (see ExternalWork).
    static int externalCount();

    // While one lives, the main thread expects an event from outside its loop (a worker thread
    // finishing), so a harness waits for that event instead of calling the loop idle.
    class ExternalWork {
    public:
        ExternalWork();
        ~ExternalWork();
        ExternalWork(const ExternalWork&) = delete;
        ExternalWork& operator=(const ExternalWork&) = delete;
    };

    // Awaits a future computed on a worker thread, counted as external work while it runs.
    template <class T> static QCoro::Task<T> awaitWorker(QFuture<T> future);

    // Starts a task that nobody awaits (a reader loop, say) and keeps it running until it ends;
    // an exception escaping it goes to the uncaught handler rather than vanishing.
    static void spawn(QCoro::Task<void> task);

    // Receives exceptions that escaped posted work or a spawned task. The default handler logs
    // them with qCritical. Returns the handler it replaces.
    using UncaughtHandler = std::function<void(std::exception_ptr)>;
    static UncaughtHandler setUncaughtHandler(UncaughtHandler handler);
    static void reportUncaught(std::exception_ptr error);
};

template <class T> QCoro::Task<T> Executor::awaitWorker(QFuture<T> future) {
    ExternalWork external;
    co_return co_await future;
}
