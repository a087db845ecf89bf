#pragma once

#include <QString>

#include <variant>

// How far a send has come, reported as it goes.
struct StickSendPhase {
    // Data of the file is streaming; fraction runs from 0 to 1 over all files of the send.
    struct Sending {
        double fraction = 0;
        QString file;
        bool operator==(const Sending&) const = default;
    };
    // The file's data is in; the stick is storing it and reading it back.
    struct Verifying {
        QString file;
        bool operator==(const Verifying&) const = default;
    };
    // The files and the stick are being checked before anything is transferred.
    struct Checking {
        bool operator==(const Checking&) const = default;
    };

    std::variant<Sending, Verifying, Checking> value;

    bool operator==(const StickSendPhase&) const = default;
};
