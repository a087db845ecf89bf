#pragma once

// The progress of connecting to a stick, as the caller of StickCentral::connect hears it.
enum class StickConnectPhase {
    Connecting, // the connection is being made
    Securing,   // the stick is known to be ours and pairing is about to start
};
