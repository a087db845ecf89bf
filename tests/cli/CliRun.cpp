#include "CliRun.h"

#include <QProcess>
#include <gtest/gtest.h>

CliRun CliRun::of(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    // Texts, sizes and relative times in the language the tests expect.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRINDLE_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000)) << arguments.join(' ').toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
