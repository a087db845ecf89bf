#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The stick's file-name rules in one place: which names it accepts, how a stick-safe name is
// made from a local file's name, and which extensions are stitch files or their companions.
class StickFileName {
public:
    enum class Problem { badName, badExtension };

    // Longest acceptable name in UTF-8 bytes, extension and its full stop included.
    static constexpr int maxLength = 64;

    // Lower-case machine formats, in a stable order.
    static const QStringList& stitchExtensions();
    // Lower-case colour and picture files that belong beside a design's stitch files.
    static const QStringList& companionExtensions();

    // Why the stick would refuse the name, or nothing when it accepts it.
    static std::optional<Problem> problem(const QString& name);
    static bool isCompanion(const QString& name);

    // An acceptable stick name made from a local base name and an extension (at most 63 bytes;
    // callers pass extensions from the two lists).
    static QString sanitized(const QString& baseName, const QString& extension);

    // The text after the last full stop, lower-cased; empty when there is none.
    static QString extension(const QString& name);
    // The text before the last full stop; the whole name when there is none.
    static QString baseName(const QString& name);
};
