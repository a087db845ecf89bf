#include "app/core/WindowPairingPrompt.h"

#include <utility>

void WindowPairingPrompt::setOnChange(std::function<void()> onChange) {
    m_onChange = std::move(onChange);
}

void WindowPairingPrompt::answerPasskey(std::optional<quint32> passkey) {
    if (m_question && m_question->kind == PairingQuestion::Kind::Passkey)
        settle(passkey);
}

void WindowPairingPrompt::answerComparison(bool matches) {
    if (m_question && m_question->kind == PairingQuestion::Kind::Comparison)
        settle(matches ? Answer(m_question->number) : std::nullopt);
}

void WindowPairingPrompt::close() {
    settle(std::nullopt);
}

QCoro::Task<std::optional<quint32>> WindowPairingPrompt::passkey(QString stickName,
                                                                 std::stop_token cancelled) {
    auto asking = ask({PairingQuestion::Kind::Passkey, std::move(stickName), 0}, cancelled);
    co_return co_await std::move(asking);
}

QCoro::Task<bool> WindowPairingPrompt::confirm(QString stickName, quint32 number,
                                               std::stop_token cancelled) {
    auto asking = ask({PairingQuestion::Kind::Comparison, std::move(stickName), number}, cancelled);
    const Answer answer = co_await std::move(asking);
    co_return answer.has_value();
}

QCoro::Task<WindowPairingPrompt::Answer> WindowPairingPrompt::ask(PairingQuestion question,
                                                                  std::stop_token cancelled) {
    // A newer question replaces one left open.
    close();
    OneShot<Answer> answer;
    m_answer = answer;
    m_question = std::move(question);
    if (m_onChange)
        m_onChange();
    std::stop_callback giveUp(cancelled, [this] { close(); });
    co_return co_await answer;
}

void WindowPairingPrompt::settle(Answer answer) {
    auto pending = std::exchange(m_answer, std::nullopt);
    if (!pending)
        return;
    m_question.reset();
    pending->resume(answer);
    if (m_onChange)
        m_onChange();
}
