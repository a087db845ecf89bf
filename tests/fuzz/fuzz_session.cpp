#include "FuzzInput.h"
#include "SendKit/StickError.h"
#include "SendKit/session/StickSession.h"
#include "tests/support/TestHarness.h"
#include "tests/support/TestLink.h"

#include <QCryptographicHash>

#include <chrono>
#include <functional>
#include <stop_token>

namespace {

using namespace std::chrono_literals;

// Hands out the input's frames: every write the session makes is answered with the frames up to
// the next empty one. A response whose sequence byte is 0 takes the request's, so that the
// fuzzer reaches past the matching of responses to requests. Once the frames are spent the stick
// is silent for good.
class Replies {
public:
    explicit Replies(QList<QByteArray> frames)
        : m_frames(std::move(frames)) {}

    QList<QByteArray> next(const QByteArray& written) {
        QList<QByteArray> group;
        while (m_at < m_frames.size() && !m_frames[m_at].isEmpty()) {
            QByteArray frame = m_frames[m_at++];
            const auto first = static_cast<quint8>(frame[0]);
            if (frame.size() > 1 && first >= 0x80 && first < 0xC0 && frame[1] == 0 &&
                written.size() > 1)
                frame[1] = written[1];
            group.append(frame);
        }
        ++m_at;
        if (spent())
            m_silence.request_stop();
        return group;
    }

    bool spent() const { return m_at >= m_frames.size(); }
    // Stopped once the frames are spent.
    std::stop_token silence() const { return m_silence.get_token(); }

private:
    QList<QByteArray> m_frames;
    qsizetype m_at = 0;
    std::stop_source m_silence;
};

template <class T> QCoro::Task<void> attempt(QCoro::Task<T> task) {
    try {
        co_await std::move(task);
    } catch (const StickError&) {
    }
}

QCoro::Task<void> sendFile(StickSession& session, std::stop_token silence) {
    const QByteArray file(300, 'x');
    const QByteArray sha = QCryptographicHash::hash(file, QCryptographicHash::Sha256);
    auto beginning = session.begin(file.size(), sha, 0, false, QStringLiteral("A.DST"));
    const StickReply::Begin begun = co_await std::move(beginning);
    auto sending = session.sendData(
        begun.transferID, file, begun.window, begun.maxChunk, [](qint64) {}, std::move(silence));
    co_await std::move(sending);
    co_await session.commit(begun.transferID);
}

// Every request in turn and a send, each answered from the input: each ends with a value or a
// StickError. Anything else escapes and stops the run; a hang fails the harness.
//
// Once the input is spent, every further request could only time out as the one before it did,
// and a send would resend into the silence until it gave up: the same few paths, at a hundred
// writes a run. So the run ends with the step that met the silence, and a send in progress is
// cancelled (which fuzzes cancellation). Silence within the input, as empty frames, still reaches
// the time-outs and the stalled stream.
QCoro::Task<void> everyRequest(StickSession& session, const Replies& replies) {
    const std::function<QCoro::Task<void>()> steps[] = {
        [&] { return attempt(session.getInfo()); },
        [&] { return attempt(session.list()); },
        [&] { return attempt(sendFile(session, replies.silence())); },
        [&] { return attempt(session.lastResult()); },
        [&] { return attempt(session.deleteFile(QStringLiteral("A.DST"))); },
        [&] { return attempt(session.identify(3)); },
        [&] { return attempt(session.abort(1)); },
    };
    for (const auto& step : steps) {
        co_await step();
        if (replies.spent())
            co_return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TestHarness harness;
    harness.setTimeLimit(1h);
    const auto link = std::make_shared<TestLink>(harness.clock());
    link->maxFrameLength = 64;
    Replies replies(fuzzFrames(data, size));
    link->answerControl = [&replies](const QByteArray& frame) { return replies.next(frame); };
    link->answerData = link->answerControl;
    StickSession session(link, harness.clock());
    harness.run(everyRequest(session, replies));
    return 0;
}
