#pragma once

#include <QMetaType>

// What "Try again" does after a failure: connect afresh, send the queue again, or go back to the
// open session and list its files.
enum class Retry { Reconnect, Send, List };

Q_DECLARE_METATYPE(Retry)
