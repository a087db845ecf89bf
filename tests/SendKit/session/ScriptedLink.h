#pragma once

#include "SendKit/async/Clock.h"
#include "SendKit/session/StickLink.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <chrono>
#include <exception>
#include <functional>

// A link whose stick is played by the test: it records every frame the session writes, answers
// each through the test's script, and can fail or delay a given write or end its stream.
class ScriptedLink : public StickLink {
public:
    // Given a frame the session wrote, the frames the stick sends back (none to stay silent).
    using Script = std::function<QList<QByteArray>(const QByteArray& frame)>;

    // How one write goes: it takes `delay` on the clock, then throws `error` if there is one.
    struct Fault {
        std::chrono::nanoseconds delay{0};
        std::exception_ptr error;
    };

    explicit ScriptedLink(Clock& clock);
    // Ends the stream, so that a session's reader stops once the loop runs.
    ~ScriptedLink() override;

    // The stick's answers, produced as a frame is written (before its delay or failure).
    Script answerControl;
    Script answerData;
    // Faults of single writes, by the 0-based index of the write among its kind.
    QHash<int, Fault> controlFaults;
    QHash<int, Fault> dataFaults;
    int maxFrameLength = 512;

    // Everything written so far, in order.
    const QList<QByteArray>& controlFrames() const { return m_control; }
    const QList<QByteArray>& dataFrames() const { return m_data; }

    // A frame from the stick, now.
    void deliver(const QByteArray& frame);
    // The link goes away: the stream of frames ends.
    void end();

    AsyncQueue<QByteArray> replies() override;
    QCoro::Task<int> maxDataFrameLength() override;
    QCoro::Task<void> writeControl(QByteArray frame) override;
    QCoro::Task<void> writeData(QByteArray frame, std::stop_token stop) override;
    QCoro::Task<void> close() override;

private:
    QCoro::Task<void> write(QList<QByteArray>& written, const Script& script,
                            const QHash<int, Fault>& faults, QByteArray frame);

    Clock& m_clock;
    AsyncQueue<QByteArray> m_replies;
    QList<QByteArray> m_control;
    QList<QByteArray> m_data;
};
