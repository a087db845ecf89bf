#include "tests/support/TestLink.h"

#include "SendKit/async/Executor.h"

TestLink::TestLink(Clock& clock, std::shared_ptr<StickLink> stick)
    : m_clock(clock)
    , m_stick(std::move(stick)) {
    if (m_stick)
        Executor::spawn(forward(m_stick->replies(), this, m_alive));
}

TestLink::~TestLink() {
    *m_alive = false;
    end();
}

// The stick behind may outlive this link (a session's write in flight holds it), hence the flag.
QCoro::Task<void> TestLink::forward(AsyncQueue<QByteArray> from, TestLink* link,
                                    std::shared_ptr<bool> alive) {
    while (std::optional<QByteArray> frame = co_await from.next()) {
        if (!*alive)
            co_return;
        if (link->rewrites)
            link->rewrites(*frame);
        link->deliver(*frame);
    }
    if (*alive)
        link->end();
}

void TestLink::deliver(const QByteArray& frame) {
    m_replies.push(frame);
}

void TestLink::end() {
    m_replies.finish();
}

AsyncQueue<QByteArray> TestLink::replies() {
    return m_replies;
}

QCoro::Task<int> TestLink::maxDataFrameLength() {
    if (m_stick)
        return m_stick->maxDataFrameLength();
    return [](int length) -> QCoro::Task<int> { co_return length; }(maxFrameLength);
}

QCoro::Task<void> TestLink::writeControl(QByteArray frame) {
    const Fault fault = controlFaults.value(m_controlCount++);
    if (keepsFrames)
        m_control.append(frame);
    answer(answerControl, frame);
    if (m_stick && !(loses && loses(frame))) {
        auto passing = m_stick->writeControl(frame);
        co_await std::move(passing);
    }
    if (fault.delay > std::chrono::nanoseconds::zero() || fault.error)
        co_await play(fault);
}

QCoro::Task<void> TestLink::writeData(QByteArray frame, std::stop_token stop) {
    const Fault fault = dataFaults.value(m_dataCount++);
    if (keepsFrames)
        m_data.append(frame);
    answer(answerData, frame);
    if (m_stick) {
        auto passing = m_stick->writeData(frame, stop);
        co_await std::move(passing);
    }
    if (fault.delay > std::chrono::nanoseconds::zero() || fault.error)
        co_await play(fault);
}

QCoro::Task<void> TestLink::close() {
    if (m_stick)
        return m_stick->close();
    end();
    return []() -> QCoro::Task<void> { co_return; }();
}

void TestLink::answer(const Script& script, const QByteArray& frame) {
    if (script) {
        for (const QByteArray& answer : script(frame))
            deliver(answer);
    }
}

QCoro::Task<void> TestLink::play(Fault fault) {
    if (fault.delay > std::chrono::nanoseconds::zero())
        co_await sleepFor(m_clock, fault.delay);
    if (fault.error)
        std::rethrow_exception(fault.error);
}
