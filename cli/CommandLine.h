#pragma once

#include "cli/SimulatorSetup.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A command line the tool cannot act on; the message says what is wrong with it.
struct UsageError {
    QString message;
};

// What the command line asks for: the options, the stick to work on, the command and its
// arguments. Parsing checks the whole usage, so that no command starts on a wrong line.
struct CommandLine {
    enum class Request { command, help, version };

    Request request = Request::command;
    // -v: the transport's log lines on standard error.
    bool verbose = false;
    // --json: info, list, send and inspect print one JSON document.
    bool json = false;
    // --simulate[=DIR] with its --sim-radio and --sim-fault options; none for the computer's own
    // Bluetooth.
    std::optional<SimulatorSetup> simulator;
    // --stick ID|NAME: the stick to work on; none for the one connected last or the strongest.
    std::optional<QString> stick;
    // "info", "list", "send", "delete", "scan", "doctor", "inspect" or "decode".
    QString command;
    // The files to send or inspect, the names to delete, or everything after "decode" as given.
    QStringList arguments;
    // The same arguments as the system gave their bytes: file names need not be UTF-8.
    QList<QByteArray> rawArguments;
    // list --files: the raw file list instead of designs.
    bool files = false;
    // send --replace: replace files of the same name without asking.
    bool replace = false;
    // inspect --png OUT: where to write the picture of the one file inspected.
    std::optional<QString> png;
    // scan --seconds N: how long to scan.
    std::optional<int> seconds;

    // The arguments without the program's name. Options may stand anywhere before "--", except
    // after "decode", whose arguments are taken as they are. Throws UsageError.
    static CommandLine parse(const QList<QByteArray>& arguments);
    static QString usage();
};
