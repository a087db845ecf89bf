#include "app/core/Journal.h"

#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>
#include <QUrl>

#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(JournalTest, StampsTheZoneOffsetWithoutSeparatorAndZeroAsZ) {
    const QDate date(2026, 12, 5);
    const QTime time(12, 33, 58, 123);
    for (const auto& [offset, zone] : {std::pair{3600, "+0100"}, {-12600, "-0330"}, {0, "Z"}})
        EXPECT_EQ(Journal::timestamp(QDateTime(date, time, QTimeZone(offset))),
                  u"2026-12-05T12:33:58.123"_qs + QLatin1String(zone));
}

TEST(JournalTest, CreatesItsFolderAndRotatesOnlyAFileLargerThanTheLimit) {
    QTemporaryDir dir;
    Journal journal(dir.filePath(u"state/Brindle Stick"_qs));
    journal.write(u"Rosé"_qs);
    journal.flush();
    const QRegularExpression line(
        uR"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d{4}) Rosé\n$)"_qs);
    EXPECT_TRUE(line.match(QString::fromUtf8(contents(journal.filePath()))).hasMatch());

    const QString previous = journal.filePath().replace(u"stick.log"_qs, u"stick.1.log"_qs);
    QFile(journal.filePath()).resize(1'000'000);
    QFile old(previous);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.resize(10));
    journal.write(u"at the limit"_qs);
    journal.flush();
    const qint64 grown = QFile(journal.filePath()).size();
    EXPECT_EQ(QFile(previous).size(), 10);
    journal.write(u"past the limit"_qs);
    journal.flush();
    EXPECT_EQ(QFile(previous).size(), grown);
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
    QLoggingCategory::setFilterRules(QString());

    const QRegularExpression line(uR"(^\S+ thread (\d) line (\d+)$)"_qs);
    std::vector<int> next(threads, 0);
    const QList<QByteArray> lines = contents(dir.filePath(u"stick.log"_qs)).split('\n');
    ASSERT_EQ(lines.size(), threads * perThread + 1); // the last line feed ends the file
    for (const QByteArray& text : lines.first(lines.size() - 1)) {
        const auto match = line.match(QString::fromUtf8(text));
        ASSERT_TRUE(match.hasMatch()) << text.toStdString();
        ASSERT_EQ(match.captured(2).toInt(), next[match.captured(1).toInt()]++);
    }
}

TEST(JournalTest, RevealWithoutAFileManagerOpensTheFolderOnceTheLogIsWhole) {
    TestHarness application; // the desktop services need one
    QTemporaryDir dir;
    // No session bus, and an opener that records its argument and the log it finds.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(dir.filePath(u"none"_qs)));
    qputenv("PATH", QFile::encodeName(dir.path()) + ':' + qgetenv("PATH"));
    QFile opener(dir.filePath(u"xdg-open"_qs));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\n{ echo \"$1\"; cat \"${1#file://}/stick.log\"; } > \"$0.tmp\"\n"
                 "mv \"$0.tmp\" \"$0.record\"\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    Journal journal(dir.path());
    QLoggingCategory::setFilterRules(u"app.brindle.stick.info=false"_qs);
    for (int i = 0; i < 1000; ++i)
        journal.write(u"backlog"_qs); // what a file manager would see half written, unwaited
    journal.reveal();
    QLoggingCategory::setFilterRules(QString());
    const QString record = dir.filePath(u"xdg-open.record"_qs);
    for (int i = 0; i < 1000 && !QFile::exists(record); ++i)
        QThread::msleep(10);
    const QList<QByteArray> lines = contents(record).split('\n');
    ASSERT_EQ(lines.size(), 1 + 1001 + 1);
    EXPECT_EQ(lines[0], QUrl::fromLocalFile(dir.path()).toEncoded());
    EXPECT_TRUE(lines[1001].endsWith(" log opened from the Help menu"));
}
