#include "SendKit/async/SystemClock.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/bluetooth/bluez/BlueZPlatform.h"
#include "SendKit/bluetooth/simulated/SimulatedRadio.h"
#include "app/core/AppLanguage.h"
#include "app/core/AppSettings.h"
#include "cli/CommandLine.h"
#include "cli/DecodeCommand.h"
#include "cli/DoctorCommand.h"
#include "cli/EventLoopRunner.h"
#include "cli/InspectCommand.h"
#include "cli/SimulatedStick.h"
#include "cli/StickCommand.h"
#include "cli/StickConnector.h"
#include "cli/TerminalPairingPrompt.h"
#include "cli/TransportLog.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

// A command on the stick, from choosing the platform to keeping what the simulated stick keeps
// between runs.
ExitCode runOnStick(const CommandLine& line, QTextStream& out, QTextStream& err) {
    if (line.verbose)
        TransportLog::start(err);
    const bool stdinIsTerminal = isatty(STDIN_FILENO) == 1;
    SystemClock clock;
    ExitCode code = ExitCode::failed;
    try {
        std::optional<SimulatedStick> simulated;
        std::shared_ptr<BluetoothPlatform> platform;
        if (line.simulator)
            platform = simulated.emplace(*line.simulator, clock).radio();
        else
            platform = std::make_shared<BlueZPlatform>(clock);
        platform->setPairingPrompt(std::make_shared<TerminalPairingPrompt>(err, stdinIsTerminal));
        {
            StickCentral central(platform, clock);
            AppSettings settings;
            StickConnector connector(central, line.stick, settings);
            StickCommand command(line, connector, clock, out, err, stdinIsTerminal,
                                 isatty(STDERR_FILENO) == 1);
            code = EventLoopRunner::run(command.run());
            EventLoopRunner::run(connector.close());
            EventLoopRunner::settle();
        }
        if (simulated)
            simulated->save();
    } catch (const std::exception& error) {
        // What the simulated stick failed to load or keep; the command has reported its own
        // failures.
        err << "error: " << error.what() << Qt::endl;
        code = ExitCode::failed;
    }
    TransportLog::stop();
    return code;
}

} // namespace

int main(int argc, char* argv[]) {
    // File names are the system's bytes, which need not be UTF-8: keep them before Qt decodes.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindle-stick-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));
    const AppLanguage language;
    QTextStream out(stdout);
    QTextStream err(stderr);

    CommandLine line;
    try {
        line = CommandLine::parse(arguments);
    } catch (const UsageError& error) {
        err << "error: " << error.message << "\n\n" << CommandLine::usage() << Qt::flush;
        return int(ExitCode::misused);
    }
    switch (line.request) {
    case CommandLine::Request::help:
        out << "Brindle Stick support tool: sends designs to the stick, lists and deletes them, "
               "and decodes what a log shows.\n\n"
            << CommandLine::usage() << Qt::flush;
        return int(ExitCode::succeeded);
    case CommandLine::Request::version:
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << Qt::endl;
        return int(ExitCode::succeeded);
    case CommandLine::Request::command:
        break;
    }
    if (line.command == QLatin1String("decode"))
        return int(DecodeCommand(out, err).run(line.arguments));
    if (line.command == QLatin1String("inspect"))
        return int(InspectCommand(out, err).run(line.arguments, line.json, line.png));
    if (line.command == QLatin1String("doctor")) {
        SystemClock clock;
        return int(runDoctor(out, clock));
    }
    return int(runOnStick(line, out, err));
}
