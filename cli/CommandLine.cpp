#include "cli/CommandLine.h"

#include "cli/DecodeCommand.h"

namespace {

const QStringList stickCommands{QStringLiteral("info"), QStringLiteral("list"),
                                QStringLiteral("send"), QStringLiteral("delete"),
                                QStringLiteral("scan"), QStringLiteral("doctor")};

// The value of "--name=value", or of "--name value" taken from the following argument.
QString optionValue(const QString& argument, const QString& name, const QStringList& arguments,
                    qsizetype& index) {
    if (argument.size() > name.size())
        return argument.mid(name.size() + 1);
    if (index + 1 >= arguments.size())
        throw UsageError{QStringLiteral("%1 needs a value").arg(name)};
    return arguments[++index];
}

bool isOption(const QString& argument, const QString& name) {
    return argument == name || argument.startsWith(name + QLatin1Char('='));
}

void requireCommand(const CommandLine& line, const QString& option, const QString& command) {
    if (line.command != command)
        throw UsageError{QStringLiteral("%1 belongs to %2").arg(option, command)};
}

} // namespace

CommandLine CommandLine::parse(const QList<QByteArray>& rawArguments) {
    QStringList arguments;
    for (const QByteArray& argument : rawArguments)
        arguments << QString::fromLocal8Bit(argument);
    CommandLine line;
    QStringList faults;
    QStringList radio;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (line.command == QLatin1String("decode") || optionsEnded ||
            !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            if (line.command.isEmpty()) {
                line.command = argument;
            } else {
                line.arguments.append(argument);
                line.rawArguments.append(rawArguments[i]);
            }
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            line.request = Request::help;
            return line;
        } else if (argument == QLatin1String("--version")) {
            line.request = Request::version;
            return line;
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--verbose")) {
            line.verbose = true;
        } else if (argument == QLatin1String("--json")) {
            line.json = true;
        } else if (argument == QLatin1String("--files")) {
            line.files = true;
        } else if (argument == QLatin1String("--replace")) {
            line.replace = true;
        } else if (isOption(argument, QStringLiteral("--simulate"))) {
            line.simulator = line.simulator.value_or(SimulatorSetup{});
            if (argument.size() > QLatin1String("--simulate").size()) {
                const QString folder = argument.mid(QLatin1String("--simulate=").size());
                if (folder.isEmpty())
                    throw UsageError{QStringLiteral("--simulate= needs a folder")};
                line.simulator->folder = folder;
            }
        } else if (isOption(argument, QStringLiteral("--sim-fault"))) {
            faults.append(optionValue(argument, QStringLiteral("--sim-fault"), arguments, i));
        } else if (isOption(argument, QStringLiteral("--sim-radio"))) {
            radio.append(optionValue(argument, QStringLiteral("--sim-radio"), arguments, i));
        } else if (isOption(argument, QStringLiteral("--stick"))) {
            line.stick = optionValue(argument, QStringLiteral("--stick"), arguments, i);
            if (line.stick->isEmpty())
                throw UsageError{QStringLiteral("--stick needs an identifier or a name")};
        } else if (isOption(argument, QStringLiteral("--png"))) {
            line.png = optionValue(argument, QStringLiteral("--png"), arguments, i);
            if (line.png->isEmpty())
                throw UsageError{QStringLiteral("--png needs a file name")};
        } else if (isOption(argument, QStringLiteral("--seconds"))) {
            bool ok = false;
            line.seconds =
                optionValue(argument, QStringLiteral("--seconds"), arguments, i).toInt(&ok, 10);
            if (!ok || *line.seconds < 1 || *line.seconds > 600)
                throw UsageError{QStringLiteral("--seconds needs a whole number from 1 to 600")};
        } else {
            throw UsageError{QStringLiteral("unknown option %1").arg(argument)};
        }
    }

    if (line.command.isEmpty())
        throw UsageError{QStringLiteral("no command given")};
    if (line.command == QLatin1String("decode"))
        return line;
    if (line.command == QLatin1String("inspect")) {
        if (line.arguments.isEmpty())
            throw UsageError{QStringLiteral("inspect needs at least one file")};
        if (line.simulator || line.stick || line.files || line.replace || line.seconds ||
            !faults.isEmpty() || !radio.isEmpty())
            throw UsageError{QStringLiteral("inspect reads files and takes only --json and --png")};
        if (line.png && line.arguments.size() != 1)
            throw UsageError{QStringLiteral("--png draws one file")};
        return line;
    }
    if (!stickCommands.contains(line.command))
        throw UsageError{QStringLiteral("unknown command %1").arg(line.command)};
    if (line.files)
        requireCommand(line, QStringLiteral("--files"), QStringLiteral("list"));
    if (line.png)
        requireCommand(line, QStringLiteral("--png"), QStringLiteral("inspect"));
    if (line.replace)
        requireCommand(line, QStringLiteral("--replace"), QStringLiteral("send"));
    if (line.seconds)
        requireCommand(line, QStringLiteral("--seconds"), QStringLiteral("scan"));
    if (line.json &&
        (line.command == QLatin1String("delete") || line.command == QLatin1String("doctor")))
        throw UsageError{QStringLiteral("%1 has no JSON output").arg(line.command)};
    if (line.command == QLatin1String("doctor") && (line.simulator || line.stick))
        throw UsageError{QStringLiteral("doctor checks this computer's own Bluetooth")};
    const bool takesNames =
        line.command == QLatin1String("send") || line.command == QLatin1String("delete");
    if (takesNames && line.arguments.isEmpty())
        throw UsageError{line.command == QLatin1String("send")
                             ? QStringLiteral("send needs at least one file")
                             : QStringLiteral("delete needs at least one name")};
    if (!takesNames && !line.arguments.isEmpty())
        throw UsageError{QStringLiteral("%1 takes no arguments, got %2")
                             .arg(line.command, line.arguments.first())};
    if (!line.simulator && !(faults.isEmpty() && radio.isEmpty()))
        throw UsageError{QStringLiteral("--sim-fault and --sim-radio need --simulate")};
    if (!line.simulator)
        return line;
    for (const QString& setting : radio) {
        if (!line.simulator->setRadio(setting))
            throw UsageError{QStringLiteral("unknown radio setting %1").arg(setting)};
    }
    for (const QString& fault : faults) {
        if (!line.simulator->addFault(fault))
            throw UsageError{QStringLiteral("unknown fault %1").arg(fault)};
    }
    return line;
}

QString CommandLine::usage() {
    return QStringLiteral(
               "usage: brindle-stick-cli [-v] [--json] [--stick ID|NAME] [--simulate[=DIR]\n"
               "                         [--sim-radio S]... [--sim-fault F]...] COMMAND\n"
               "\n"
               "Commands on the stick:\n"
               "  scan [--seconds N]        the sticks in reach, strongest first (default 5 s)\n"
               "  info                      the stick's GET_INFO record\n"
               "  list [--files]            the designs on the stick, or its raw file list\n"
               "  send FILE... [--replace]  send files, verified; --replace replaces files of the\n"
               "                            same name without asking\n"
               "  delete NAME...            delete designs (all their files) or single files\n"
               "  doctor                    check this computer's Bluetooth set-up\n"
               "\n"
               "Options:\n"
               "  --stick ID|NAME   the stick to use; without it the stick used last, else the\n"
               "                    strongest one a short scan finds\n"
               "  --simulate[=DIR]  a simulated radio with one stick named \"Brindle Sim\", at "
               "the\n"
               "                    speed of a real link; with DIR its files live in DIR between\n"
               "                    runs, without it the stick starts empty\n"
               "  --sim-radio S     the simulated link: phy=1m|2m, interval=MS, mtu=N,\n"
               "                    drop-rate=FRACTION, instant (no time on the air)\n"
               "  --sim-fault F     make the simulated stick misbehave: drop-chunk=OFFSET,\n"
               "                    host-busy-commits=N, corrupt-staged=OFFSET, corrupt-readback,\n"
               "                    drop-link-after-commit, mtu=N, protocol-major=N,\n"
               "                    usb=no-host|host-idle|host-active|swapping, pairing=PASSKEY,\n"
               "                    pairing-rejected, stale-pairing, no-diagnostics,\n"
               "                    bluetooth=off|unauthorized|unsupported, drop-link-at=OFFSET\n"
               "  --json            scan, info, list, send and inspect print one JSON document\n"
               "  -v                the transport's log lines on standard error\n"
               "\n"
               "Support commands:\n"
               "  inspect FILE... [--png OUT]\n"
               "                            each design's format, stitches, colour changes,\n"
               "                            jumps, trims, size in mm and colours; --png draws\n"
               "                            one design's stitches to the picture OUT\n  ") +
           DecodeCommand::usage().replace(QLatin1Char('\n'), QLatin1String("\n  ")) +
           QStringLiteral("\n\nExit codes: 0 done, 1 failed, 2 usage error, 3 names already on "
                          "the stick (send without --replace).\n");
}
