#include "FuzzInput.h"
#include "SendKit/StickError.h"
#include "SendKit/session/StickSession.h"
#include "tests/support/TestHarness.h"
#include "tests/support/TestLink.h"

#include <QCryptographicHash>

#include <chrono>

namespace {

using namespace std::chrono_literals;

// Hands out the input's frames: every write the session makes is answered with the frames up to
// the next empty one. A response whose sequence byte is 0 takes the request's, so that the
// fuzzer reaches past the matching of responses to requests.
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
        return group;
    }

private:
    QList<QByteArray> m_frames;
    qsizetype m_at = 0;
};

// Every request in turn and a send, each answered from the input: each ends with a value or a
// StickError. Anything else escapes and stops the run; a hang fails the harness.
QCoro::Task<void> everyRequest(StickSession& session) {
    const auto attempt = [](auto task) -> QCoro::Task<void> {
        try {
            co_await std::move(task);
        } catch (const StickError&) {
        }
    };
    co_await attempt(session.getInfo());
    co_await attempt(session.list());
    const QByteArray file(300, 'x');
    const QByteArray sha = QCryptographicHash::hash(file, QCryptographicHash::Sha256);
    try {
        auto beginning = session.begin(file.size(), sha, 0, false, QStringLiteral("A.DST"));
        const StickReply::Begin begun = co_await std::move(beginning);
        auto sending =
            session.sendData(begun.transferID, file, begun.window, begun.maxChunk, [](qint64) {});
        co_await std::move(sending);
        co_await attempt(session.commit(begun.transferID));
    } catch (const StickError&) {
    }
    co_await attempt(session.lastResult());
    co_await attempt(session.deleteFile(QStringLiteral("A.DST")));
    co_await attempt(session.identify(3));
    co_await attempt(session.abort(1));
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
    harness.run(everyRequest(session));
    return 0;
}
