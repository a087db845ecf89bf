#pragma once

#include "SendKit/async/Clock.h"
#include "SendKit/session/StickLink.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>

// The one link the tests and the bench put under a session. Its stick is played by scripts, by
// another link behind it (a simulated stick), or both; it records what the session writes and
// can fail, delay or lose writes and rewrite what comes back.
class TestLink : public StickLink {
public:
    // Given a frame the session wrote, the frames the stick sends back (none to stay silent).
    using Script = std::function<QList<QByteArray>(const QByteArray& frame)>;

    // How one write goes: it takes `delay` on the clock, then throws `error` if there is one.
    struct Fault {
        std::chrono::nanoseconds delay{0};
        std::exception_ptr error;
    };

    // With a stick behind, every frame written also goes on to it, and its frames come back here.
    explicit TestLink(Clock& clock, std::shared_ptr<StickLink> stick = {});
    // Ends the stream, so that a session's reader stops once the loop runs.
    ~TestLink() override;

    // The stick's answers, produced as a frame is written (before its delay or failure).
    Script answerControl;
    Script answerData;
    // Faults of single writes, by the 0-based index of the write among its kind.
    QHash<int, Fault> controlFaults;
    QHash<int, Fault> dataFaults;
    int maxFrameLength = 512;
    // Requests for which this holds are written but never reach the stick behind.
    std::function<bool(const QByteArray& request)> loses;
    // Every frame from the stick behind passes through this on its way to the session.
    std::function<void(QByteArray& frame)> rewrites;
    // Off, nothing written is kept (a bench streams far more than a test reads back).
    bool keepsFrames = true;

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
    void answer(const Script& script, const QByteArray& frame);
    QCoro::Task<void> play(Fault fault);
    static QCoro::Task<void> forward(AsyncQueue<QByteArray> from, TestLink* link,
                                     std::shared_ptr<bool> alive);

    Clock& m_clock;
    std::shared_ptr<StickLink> m_stick;
    AsyncQueue<QByteArray> m_replies;
    QList<QByteArray> m_control;
    QList<QByteArray> m_data;
    int m_controlCount = 0;
    int m_dataCount = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
