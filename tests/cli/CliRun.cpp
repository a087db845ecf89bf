#include "CliRun.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>

namespace {

CliRun run(const QStringList& arguments, const std::function<void(QProcess&)>& feed) {
    static const QTemporaryDir settings;
    QProcess process;
    // Texts, sizes and relative times in the language the tests expect.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("LANGUAGE")); // Qt heeds it even under LC_ALL
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), settings.path());
    process.setProcessEnvironment(environment);
    feed(process);
    EXPECT_TRUE(process.waitForFinished(30000)) << arguments.join(' ').toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

CliRun CliRun::of(const QStringList& arguments, const QByteArray& input) {
    return run(arguments, [&](QProcess& process) {
        process.start(QStringLiteral(BRINDLE_CLI), arguments);
        process.write(input);
        process.closeWriteChannel();
    });
}

CliRun CliRun::onTerminal(const QStringList& arguments, const QByteArray& typed) {
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    EXPECT_GE(terminal, 0);
    EXPECT_EQ(grantpt(terminal), 0);
    EXPECT_EQ(unlockpt(terminal), 0);
    const QString device = QString::fromLocal8Bit(ptsname(terminal));
    const CliRun result = run(arguments, [&](QProcess& process) {
        process.setStandardInputFile(device);
        process.start(QStringLiteral(BRINDLE_CLI), arguments);
        // The terminal keeps what was typed until the tool reads it.
        EXPECT_EQ(::write(terminal, typed.constData(), size_t(typed.size())), typed.size());
    });
    ::close(terminal);
    return result;
}
