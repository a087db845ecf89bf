#include "ScriptedLink.h"

ScriptedLink::ScriptedLink(Clock& clock)
    : m_clock(clock) {}

ScriptedLink::~ScriptedLink() {
    end();
}

void ScriptedLink::deliver(const QByteArray& frame) {
    m_replies.push(frame);
}

void ScriptedLink::end() {
    m_replies.finish();
}

AsyncQueue<QByteArray> ScriptedLink::replies() {
    return m_replies;
}

QCoro::Task<int> ScriptedLink::maxDataFrameLength() {
    co_return maxFrameLength;
}

QCoro::Task<void> ScriptedLink::writeControl(QByteArray frame) {
    return write(m_control, answerControl, controlFaults, std::move(frame));
}

QCoro::Task<void> ScriptedLink::writeData(QByteArray frame, std::stop_token) {
    return write(m_data, answerData, dataFaults, std::move(frame));
}

QCoro::Task<void> ScriptedLink::close() {
    end();
    co_return;
}

QCoro::Task<void> ScriptedLink::write(QList<QByteArray>& written, const Script& script,
                                      const QHash<int, Fault>& faults, QByteArray frame) {
    const Fault fault = faults.value(int(written.size()));
    written.append(frame);
    if (script) {
        for (const QByteArray& answer : script(frame))
            deliver(answer);
    }
    if (fault.delay > std::chrono::nanoseconds::zero())
        co_await sleepFor(m_clock, fault.delay);
    if (fault.error)
        std::rethrow_exception(fault.error);
}
