#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

// One run of the built brindle-stick-cli: its exit code and what it printed. Every run of a test
// program shares one settings folder of its own, so the person's settings are never touched.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;

    // Runs the tool with the arguments, feeding it the input on standard input (which is then no
    // terminal, as in a script).
    static CliRun of(const QStringList& arguments, const QByteArray& input = {});
    // Runs the tool with a terminal on standard input, on which the person has typed the input.
    static CliRun onTerminal(const QStringList& arguments, const QByteArray& typed);
};

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* stream) {
    *stream << '"' << text.toStdString() << '"';
}
