#include "cli/TerminalPairingPrompt.h"

#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>
#include <utility>

TerminalPairingPrompt::TerminalPairingPrompt(QTextStream& terminal, bool stdinIsTerminal)
    : m_terminal(terminal)
    , m_stdinIsTerminal(stdinIsTerminal) {}

TerminalPairingPrompt::~TerminalPairingPrompt() {
    settle(std::nullopt);
}

QCoro::Task<std::optional<quint32>> TerminalPairingPrompt::passkey(QString stickName,
                                                                   std::stop_token cancelled) {
    if (!m_stdinIsTerminal)
        co_return std::nullopt;
    m_terminal << "Pairing with " << stickName << "." << Qt::endl;
    for (;;) {
        m_terminal << "Type the 6 digits shown on the stick's display: " << Qt::flush;
        auto reading = readLine(cancelled);
        const std::optional<QString> line = co_await std::move(reading);
        if (!line)
            co_return std::nullopt;
        const QString digits = line->trimmed();
        bool ok = false;
        const uint passkey = digits.toUInt(&ok, 10);
        if (ok && digits.size() == 6)
            co_return quint32(passkey);
        m_terminal << "That is not 6 digits." << Qt::endl;
    }
}

QCoro::Task<bool> TerminalPairingPrompt::confirm(QString stickName, quint32 number,
                                                 std::stop_token cancelled) {
    if (!m_stdinIsTerminal)
        co_return false;
    m_terminal << "Does " << stickName << " show "
               << QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0')) << "? [y/N] "
               << Qt::flush;
    auto reading = readLine(cancelled);
    const std::optional<QString> line = co_await std::move(reading);
    const QString answer = line.value_or(QString()).trimmed().toLower();
    co_return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

QCoro::Task<std::optional<QString>> TerminalPairingPrompt::readLine(std::stop_token cancelled) {
    settle(std::nullopt);
    OneShot<std::optional<QString>> line;
    m_line = line;
    m_notifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            return;
        if (count <= 0) {
            settle(std::nullopt);
            return;
        }
        m_typed.append(buffer, count);
        const qsizetype end = m_typed.indexOf('\n');
        if (end < 0)
            return;
        const QByteArray typed = m_typed.left(end);
        m_typed.remove(0, end + 1);
        settle(QString::fromLocal8Bit(typed));
    });
    // The platform gave up (the stick cancelled, the link dropped): the question is withdrawn.
    std::stop_callback withdrawn(cancelled, [this] {
        m_terminal << Qt::endl;
        settle(std::nullopt);
    });
    co_return co_await line;
}

void TerminalPairingPrompt::settle(std::optional<QString> line) {
    auto pending = std::exchange(m_line, std::nullopt);
    // Called from the notifier's own signal, so it is switched off, not deleted.
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (pending)
        pending->resume(std::move(line));
}
