#pragma once

#include "SendKit/async/OneShot.h"
#include "SendKit/bluetooth/StickPairingPrompt.h"

#include <QString>
#include <QTextStream>

#include <memory>
#include <optional>

class QSocketNotifier;

// The pairing prompt of the terminal: asks on standard error and reads the answer from standard
// input without holding up the event loop, so the platform's time-outs keep running while the
// person types. Without a terminal nobody can answer, so it declines at once.
class TerminalPairingPrompt : public StickPairingPrompt {
public:
    TerminalPairingPrompt(QTextStream& terminal, bool stdinIsTerminal);
    ~TerminalPairingPrompt() override;

    QCoro::Task<std::optional<quint32>> passkey(QString stickName,
                                                std::stop_token cancelled) override;
    QCoro::Task<bool> confirm(QString stickName, quint32 number,
                              std::stop_token cancelled) override;

private:
    // The next line typed, or none when input ended or the question was withdrawn.
    QCoro::Task<std::optional<QString>> readLine(std::stop_token cancelled);
    void settle(std::optional<QString> line);

    QTextStream& m_terminal;
    bool m_stdinIsTerminal;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_typed;
    std::optional<OneShot<std::optional<QString>>> m_line;
};
