#pragma once

#include "BenchRun.h"

#include <QList>

// The host's cost of the send flow: a file of the largest size the stick takes, sent end to end
// through the session and the simulated stick, next to the bare work such a send cannot avoid
// (three SHA-256 passes over the file and one copy of it); and the cost of making one stick-safe
// name.
QList<Figure> measureSend();
