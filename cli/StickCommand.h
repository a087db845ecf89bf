#pragma once

#include "SendKit/send/StickFile.h"
#include "SendKit/session/StickSession.h"
#include "app/core/StickFileBatch.h"
#include "cli/CommandLine.h"
#include "cli/ExitCode.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QTextStream>

#include <exception>
#include <memory>
#include <optional>

class Clock;
class StickConnector;

// The commands that work on a stick: scan, info, list, send and delete. Each but scan connects
// through the connector, reads the stick's information first as every connection of the
// application does, does its work and prints text or, with --json, one JSON document. A failure
// prints "error: ", its user text and, in parentheses, its log text.
class StickCommand {
public:
    // The line must be a parsed stick command. stdinIsTerminal and stderrIsTerminal tell whether
    // send may ask before replacing and draw its progress bar.
    StickCommand(const CommandLine& line, StickConnector& connector, Clock& clock, QTextStream& out,
                 QTextStream& err, bool stdinIsTerminal, bool stderrIsTerminal);

    QCoro::Task<ExitCode> run();

private:
    QCoro::Task<ExitCode> scan();
    ExitCode info(const StickInfo& info);
    QCoro::Task<ExitCode> list(StickSession& session);
    QCoro::Task<ExitCode> remove(StickSession& session);
    QCoro::Task<ExitCode> send(std::shared_ptr<StickSession> session, QList<StickFile> files);
    // Reads the stick's listing, and says when the stick had more files than a listing holds.
    QCoro::Task<QList<StickFileEntry>> listing(StickSession& session);

    // The files the command line names, looked at but not yet read; none after printing why.
    std::optional<StickFileBatch> checkFiles();
    // Asks on the terminal whether to replace the names.
    bool mayReplace(const QStringList& names);
    void print(const QJsonObject& document);
    // Prints the failure; names already on the stick have their own exit code.
    ExitCode fail(const std::exception_ptr& error);

    const CommandLine& m_line;
    StickConnector& m_connector;
    Clock& m_clock;
    QTextStream& m_out;
    QTextStream& m_err;
    bool m_stdinIsTerminal;
    bool m_stderrIsTerminal;
    // The connected stick's device name, once GET_INFO has told it.
    std::optional<QString> m_stickName;
};
