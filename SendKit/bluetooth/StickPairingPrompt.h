#pragma once

#include <QCoro/QCoroTask>
#include <QString>

#include <optional>
#include <stop_token>

// Asks the person at the computer to complete a pairing: the terminal tool and the window each
// implement it, the platforms call it when the stick asks. A stop request means the platform gave
// up (the stick cancelled or the link dropped): the question closes unanswered.
class StickPairingPrompt {
public:
    virtual ~StickPairingPrompt() = default;

    // The 6 digits shown on the stick's display, or none when the person declines.
    virtual QCoro::Task<std::optional<quint32>> passkey(QString stickName,
                                                        std::stop_token cancelled) = 0;
    // Whether the number shown here matches the one on the stick's display.
    virtual QCoro::Task<bool> confirm(QString stickName, quint32 number,
                                      std::stop_token cancelled) = 0;
};
