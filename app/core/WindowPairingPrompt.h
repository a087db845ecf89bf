#pragma once

#include "SendKit/async/OneShot.h"
#include "SendKit/bluetooth/StickPairingPrompt.h"
#include "app/core/PairingQuestion.h"

#include <functional>
#include <optional>

// The pairing prompt the platform asks when a stick wants a passkey or a number comparison: it
// holds the one open question for the window to show and waits for the person's answer. Closing
// the question (the connection dropped, the platform gave up) answers it as declined.
class WindowPairingPrompt : public StickPairingPrompt {
public:
    // Called after every change of question(); runs on the event loop's thread.
    void setOnChange(std::function<void()> onChange);

    const std::optional<PairingQuestion>& question() const { return m_question; }

    // Answers a passkey question (none declines); ignored when none is open.
    void answerPasskey(std::optional<quint32> passkey);
    // Answers a comparison question; ignored when none is open.
    void answerComparison(bool matches);
    // Declines whatever question is open.
    void close();

    QCoro::Task<std::optional<quint32>> passkey(QString stickName,
                                                std::stop_token cancelled) override;
    QCoro::Task<bool> confirm(QString stickName, quint32 number,
                              std::stop_token cancelled) override;

private:
    // A comparison's "matches" comes back as the number itself, a refusal as none.
    using Answer = std::optional<quint32>;
    QCoro::Task<Answer> ask(PairingQuestion question, std::stop_token cancelled);
    void settle(Answer answer);

    std::optional<PairingQuestion> m_question;
    std::optional<OneShot<Answer>> m_answer;
    std::function<void()> m_onChange;
};
