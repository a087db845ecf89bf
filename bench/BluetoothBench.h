#pragma once

#include "BenchRun.h"

#include <QList>

// Goodput over the simulated radio: the largest file the stick takes, sent end to end through the
// central, the Bluetooth link, the session and the send flow under a manual clock, as file bytes
// per simulated second and as a share of the radio model's capacity; on the default 2M link,
// with 1 % of the chunks dropped by the stick, and on a 1M link with a 30 ms interval.
QList<Figure> measureBluetooth();
