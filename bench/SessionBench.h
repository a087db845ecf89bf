#pragma once

#include "BenchRun.h"

#include <QList>

// The host's cost of the session: one request/reply exchange, and streaming a file next to a
// loop that only builds the same chunk frames.
QList<Figure> measureSession();
