#include "app/core/Journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

const QRegularExpression
    linePattern(uR"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d{4}) (.*)$)"_qs);

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void fill(const QString& path, qint64 size) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(QByteArray(size, 'x')), size);
}

} // namespace

TEST(JournalTest, StampsLocalTimeWithMillisecondsAndAnOffsetWithoutSeparator) {
    const QDate date(2026, 12, 5);
    const QTime time(12, 33, 58, 123);
    EXPECT_EQ(Journal::timestamp(QDateTime(date, time, QTimeZone(3600))),
              u"2026-12-05T12:33:58.123+0100"_qs);
    EXPECT_EQ(Journal::timestamp(QDateTime(date, time, QTimeZone(-(3 * 3600 + 30 * 60)))),
              u"2026-12-05T12:33:58.123-0330"_qs);
    EXPECT_EQ(Journal::timestamp(QDateTime(date, time, QTimeZone(0))),
              u"2026-12-05T12:33:58.123Z"_qs);
}

TEST(JournalTest, FirstLineCreatesTheFolderAndLinesAreMirroredToTheLoggingCategory) {
    static QStringList mirrored;
    const auto previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& message) {
            mirrored << QString::fromUtf8(context.category) + u": "_qs + message;
        });
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"state/Brindle Stick"_qs);
    Journal journal(folder);
    journal.write(u"queued 1 file(s): Rosé.pes"_qs);
    journal.flush();
    qInstallMessageHandler(previous);

    EXPECT_EQ(journal.filePath(), QDir(folder).filePath(u"stick.log"_qs));
    const auto match =
        linePattern.match(QString::fromUtf8(contents(journal.filePath())).chopped(1));
    ASSERT_TRUE(match.hasMatch());
    EXPECT_EQ(match.captured(2), u"queued 1 file(s): Rosé.pes"_qs);
    EXPECT_EQ(mirrored, QStringList{u"app.brindle.stick: queued 1 file(s): Rosé.pes"_qs});
}

TEST(JournalTest, RotatesOnlyAFileLargerThanTheLimitReplacingTheOlderGeneration) {
    QTemporaryDir dir;
    Journal journal(dir.path());
    const QString previous = dir.filePath(u"stick.1.log"_qs);
    fill(journal.filePath(), 1'000'000);
    fill(previous, 10);

    journal.write(u"at the limit"_qs);
    journal.flush();
    const qint64 grown = QFileInfo(journal.filePath()).size();
    EXPECT_GT(grown, 1'000'000);
    EXPECT_EQ(QFileInfo(previous).size(), 10);

    journal.write(u"past the limit"_qs);
    journal.flush();
    EXPECT_EQ(QFileInfo(previous).size(), grown);
    EXPECT_TRUE(contents(journal.filePath()).endsWith(" past the limit\n"));
    EXPECT_EQ(contents(journal.filePath()).count('\n'), 1);
}

TEST(JournalTest, LinesFromSeveralThreadsStayWholeAndInEachThreadsOrder) {
    QLoggingCategory::setFilterRules(u"app.brindle.stick.info=false"_qs);
    constexpr int threads = 4;
    constexpr int perThread = 500;
    QTemporaryDir dir;
    {
        Journal journal(dir.path());
        std::vector<std::jthread> writers;
        for (int t = 0; t < threads; ++t)
            writers.emplace_back([&journal, t] {
                for (int i = 0; i < perThread; ++i)
                    journal.write(u"thread %1 line %2"_qs.arg(t).arg(i));
            });
    } // the journal writes what is pending before it goes

    std::vector<int> next(threads, 0);
    const QList<QByteArray> lines = contents(dir.filePath(u"stick.log"_qs)).split('\n');
    ASSERT_EQ(lines.size(), threads * perThread + 1);
    for (const QByteArray& line : lines.first(lines.size() - 1)) {
        const QStringList words =
            linePattern.match(QString::fromUtf8(line)).captured(2).split(u' ');
        ASSERT_EQ(words.size(), 4) << line.toStdString();
        const int t = words[1].toInt();
        ASSERT_EQ(words[3].toInt(), next[t]++) << line.toStdString();
    }
    QLoggingCategory::setFilterRules(QString());
}
