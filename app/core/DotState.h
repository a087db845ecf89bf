#pragma once

#include <QMetaType>

// The tray dot's three colours: a usable session, a connection under way, nothing connected.
enum class DotState { Connected, Busy, Idle };

Q_DECLARE_METATYPE(DotState)
