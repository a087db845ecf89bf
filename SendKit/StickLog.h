#pragma once

#include "SendKit/StickError.h"

#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

// The transport's log: one optional sink, process-wide, taking one line at a time. Lines are
// built only while a sink is installed, so logging costs nothing when nobody listens.
class StickLog {
public:
    using Sink = std::function<void(const QString& line)>;

    // Installs the sink (an empty one removes it); callable from any thread.
    static void setSink(Sink sink);

    // Builds the line with build() and hands it to the sink, only when a sink is installed.
    // The sink runs outside the lock, so it may itself write to the log.
    template <class Build>
    requires std::is_invocable_r_v<QString, Build&>
    static void write(Build&& build) {
        if (const auto sink = currentSink())
            (*sink)(build());
    }

    // The log text of an error: "none" for no error, a StickError as StickError::text(), any other
    // error as its type, a code (0 when it has none) and its quoted description.
    static QString describe(const std::optional<StickError>& error);
    static QString describe(const std::exception_ptr& error);

    // A text in double quotes with quotes, backslashes and control characters escaped, so that a
    // payload from the stick or a file name can neither end the quote nor break the line.
    static QString quoted(const QString& text);

private:
    static std::shared_ptr<const Sink> currentSink();
};
