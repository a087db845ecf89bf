#pragma once

#include "cli/ExitCode.h"

#include <QStringList>
#include <QTextStream>

#include <optional>

struct StitchDesign;

// `inspect`: what each design file holds (format, stitches, colour changes, jumps, trims, size,
// colours) without a stick, so that a person knows the design before sending it.
class InspectCommand {
public:
    InspectCommand(QTextStream& out, QTextStream& err);

    // Reports every file, also after one that cannot be read; fails when any could not be. With
    // png, also draws the (one) design to that picture.
    ExitCode run(const QStringList& paths, bool json, const std::optional<QString>& png);

private:
    void print(const QString& fileName, const StitchDesign& design);

    QTextStream& m_out;
    QTextStream& m_err;
};
