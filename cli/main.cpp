#include "cli/DecodeCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindle-stick-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Brindle Stick support tool.\n\nCommands:\n") +
                                     DecodeCommand::usage());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("decode"));
    // Options belong to the commands; hex bytes may look like anything.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "error: " << parser.errorText() << '\n' << parser.helpText() << Qt::flush;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList arguments = parser.positionalArguments();
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("decode"))
        return DecodeCommand(out, err).run(arguments.mid(1));
    err << "error: "
        << (arguments.isEmpty() ? QStringLiteral("no command given")
                                : QStringLiteral("unknown command %1").arg(arguments.first()))
        << '\n'
        << parser.helpText() << Qt::flush;
    return 2;
}
