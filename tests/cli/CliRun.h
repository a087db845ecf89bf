#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

// One run of the built brindle-stick-cli: its exit code and what it printed.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;

    // Runs the tool with the arguments, feeding it the input on standard input (which is then no
    // terminal, as in a script).
    static CliRun of(const QStringList& arguments, const QByteArray& input = {});
};

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* stream) {
    *stream << '"' << text.toStdString() << '"';
}
