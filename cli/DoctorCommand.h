#pragma once

#include "cli/ExitCode.h"

#include <QTextStream>

class Clock;

// `brindle-stick-cli doctor`: checks whether this computer's Bluetooth can reach a stick, one
// line per check with what to do when it fails: bluetoothd running, an adapter present, not
// blocked, powered, this user allowed to use it, LE supported, and the sticks bluetoothd knows.
// Succeeds when a stick could be used now.
ExitCode runDoctor(QTextStream& out, Clock& clock);
