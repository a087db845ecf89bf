#include "tests/support/TestHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// Guards against posted work that keeps posting more forever.
constexpr int maxPostedRounds = 1'000'000;
// How long to wait in real time for work on other threads (file reading, hashing).
constexpr auto externalWorkLimit = 60s;

void ensureApplication() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static auto* application = new QCoreApplication(argc, argv);
    Q_UNUSED(application);
}

QString seconds(std::chrono::nanoseconds time) {
    return QString::number(std::chrono::duration<double>(time).count(), 'f', 3) + " s";
}

} // namespace

TestHarness::TestHarness() {
    ensureApplication();
    m_previousHandler = Executor::setUncaughtHandler([this](std::exception_ptr error) {
        if (!m_uncaught)
            m_uncaught = error;
    });
}

TestHarness::~TestHarness() {
    try {
        settle();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "while the harness settled at its end: " << e.what();
    } catch (...) {
        ADD_FAILURE() << "while the harness settled at its end: an exception";
    }
    Executor::setUncaughtHandler(std::move(m_previousHandler));
}

void TestHarness::settle() {
    int rounds = 0;
    QElapsedTimer externalWait;
    while (Executor::postedCount() > 0 || Executor::externalCount() > 0) {
        if (Executor::postedCount() > 0) {
            if (++rounds > maxPostedRounds)
                throw HarnessFailure("livelock: posted work keeps posting more work");
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            externalWait.invalidate();
        } else {
            // Only work on other threads remains: wait in real time for the event it ends with.
            if (!externalWait.isValid())
                externalWait.start();
            if (std::chrono::milliseconds(externalWait.elapsed()) > externalWorkLimit)
                throw HarnessFailure("external work did not finish within " +
                                     seconds(externalWorkLimit).toStdString());
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QThread::msleep(1);
        }
        rethrowUncaught();
    }
    // Objects released with deleteLater() would otherwise wait for an event loop that a test
    // never enters.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    rethrowUncaught();
}

void TestHarness::advance(std::chrono::nanoseconds duration) {
    const auto target = m_clock.now() + duration;
    settle();
    while (auto due = m_clock.nextDue()) {
        if (*due > target)
            break;
        m_clock.runNext();
        settle();
    }
    m_clock.advance(target - m_clock.now());
}

void TestHarness::driveUntil(const std::function<bool()>& isDone, Time time) {
    const auto start = m_clock.now();
    for (;;) {
        settle();
        if (isDone())
            return;
        const auto due = m_clock.nextDue();
        if (!due)
            throw HarnessFailure(
                ("deadlock at " + seconds(m_clock.now()) +
                 ": the task has not finished, no posted work remains and no timer is waiting")
                    .toStdString());
        if (time == Time::Stands)
            throw HarnessFailure(("needs time: the task waits for a timer due at " + seconds(*due) +
                                  " but no time may pass (now " + seconds(m_clock.now()) + ")")
                                     .toStdString());
        if (*due - start > m_timeLimit)
            throw HarnessFailure(("time limit: the task has not finished after " +
                                  seconds(m_timeLimit) + " of virtual time (timers keep firing)")
                                     .toStdString());
        m_clock.runNext();
        rethrowUncaught();
    }
}

void TestHarness::rethrowUncaught() {
    if (m_uncaught)
        std::rethrow_exception(std::exchange(m_uncaught, nullptr));
}
