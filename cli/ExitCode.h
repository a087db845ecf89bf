#pragma once

// The tool's exit codes, which scripts rely on.
enum class ExitCode {
    succeeded = 0,
    // The stick, a file or the simulated stick's folder failed; the bytes given do not decode.
    failed = 1,
    misused = 2,
    // A send found its names already on the stick and was not allowed to replace them.
    namesExist = 3,
};
