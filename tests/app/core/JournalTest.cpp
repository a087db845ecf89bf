#include "app/core/Journal.h"

#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>
#include <QUrl>

#include "tests/support/TestHarness.h"

#include <gtest/gtest.h>

#include <latch>
#include <map>
#include <numeric>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every message has the same length, so the tests can size files in lines; the file is UTF-8.
QString message(int thread, int index) {
    return u"thread %1 line %2 é"_qs.arg(thread).arg(index, 4, 10, QLatin1Char('0'));
}

class JournalTest : public ::testing::Test {
protected:
    // The mirror to the logging category would bury the test's output.
    void SetUp() override { QLoggingCategory::setFilterRules(u"app.brindle.stick.info=false"_qs); }
    void TearDown() override { QLoggingCategory::setFilterRules(QString()); }

    // The message indices found per thread, in file order; fails on a line that is not whole.
    static std::map<int, std::vector<int>> linesByThread(const QByteArray& text) {
        static const QRegularExpression whole(
            uR"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d{4}) thread (\d) line (\d{4}) é$)"_qs);
        EXPECT_TRUE(text.endsWith('\n'));
        std::map<int, std::vector<int>> found;
        for (const QByteArray& line : text.split('\n')) {
            const auto match = whole.match(QString::fromUtf8(line));
            if (match.hasMatch())
                found[match.captured(2).toInt()].push_back(match.captured(3).toInt());
            else if (!line.isEmpty())
                ADD_FAILURE() << "not a whole line: " << line.toStdString();
        }
        return found;
    }

    QString previousPath(const Journal& journal) const {
        return journal.filePath().replace(u"stick.log"_qs, u"stick.1.log"_qs);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(JournalTest, StampsTheZoneOffsetWithoutSeparatorAndZeroAsZ) {
    const QDate date(2026, 12, 5);
    const QTime time(12, 33, 58, 123);
    for (const auto& [offset, zone] : {std::pair{3600, "+0100"}, {-12600, "-0330"}, {0, "Z"}})
        EXPECT_EQ(Journal::timestamp(QDateTime(date, time, QTimeZone(offset))),
                  u"2026-12-05T12:33:58.123"_qs + QLatin1String(zone));
}

TEST_F(JournalTest, CreatesItsFolderAndRotatesOnlyAFileLargerThanTheLimit) {
    Journal journal(dir.filePath(u"state/Brindle Stick"_qs));
    journal.write(message(0, 0));
    journal.flush();
    EXPECT_EQ(linesByThread(contents(journal.filePath()))[0], std::vector{0});

    QFile(journal.filePath()).resize(1'000'000);
    QFile old(previousPath(journal));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.resize(10));
    journal.write(message(0, 1));
    journal.flush();
    const qint64 grown = QFile(journal.filePath()).size();
    EXPECT_EQ(QFile(previousPath(journal)).size(), 10);
    journal.write(message(0, 2));
    journal.flush();
    EXPECT_EQ(QFile(previousPath(journal)).size(), grown);
    EXPECT_EQ(linesByThread(contents(journal.filePath()))[0], std::vector{2});
}

TEST_F(JournalTest, LinesFromManyThreadsStayWholeOnceAndInOrderAcrossARotation) {
    constexpr int threads = 8;
    constexpr int perThread = 400;
    const qint64 lineSize = Journal::timestamp(QDateTime::currentDateTime()).size() + 1 +
                            message(0, 0).toUtf8().size() + 1;
    // Two thirds of everything: one rotation, and the file after it never reaches a second.
    Journal journal(dir.path(), threads * perThread * lineSize * 2 / 3);
    {
        std::latch start(threads);
        std::vector<std::jthread> writers;
        for (int t = 0; t < threads; ++t)
            writers.emplace_back([&journal, &start, t] {
                start.arrive_and_wait();
                for (int i = 0; i < perThread; ++i)
                    journal.write(message(t, i));
            });
    }
    journal.flush();

    ASSERT_TRUE(QFile::exists(previousPath(journal)));
    const auto found =
        linesByThread(contents(previousPath(journal)) + contents(journal.filePath()));
    std::vector<int> all(perThread);
    std::iota(all.begin(), all.end(), 0);
    ASSERT_EQ(found.size(), std::size_t(threads));
    for (const auto& [thread, indices] : found)
        EXPECT_EQ(indices, all) << "thread " << thread;
}

TEST_F(JournalTest, AFullDiskLosesWholeLinesWithoutBlockingAndWritingResumesWithSpace) {
    {
        Journal journal(dir.path());
        journal.write(message(0, 0));
        journal.flush();
        const qint64 lineSize = QFile(journal.filePath()).size();
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        {
            // Room for two and a half more lines; nothing may fail before the limit is back.
            const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &saved); });
            rlimit low = saved;
            low.rlim_cur = rlim_t(lineSize * 7 / 2);
            setrlimit(RLIMIT_FSIZE, &low);
            for (int i = 1; i <= 5; ++i)
                journal.write(message(0, i));
            journal.flush();
        }
        EXPECT_EQ(linesByThread(contents(journal.filePath()))[0], (std::vector{0, 1, 2}));
        journal.write(message(0, 6));
    } // the journal writes what is pending before it goes
    EXPECT_EQ(linesByThread(contents(dir.filePath(u"stick.log"_qs)))[0], (std::vector{0, 1, 2, 6}));
}

TEST_F(JournalTest, RevealWithoutAFileManagerOpensTheFolderOnceTheLogIsWhole) {
    TestHarness application; // the desktop services need one
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
    for (int i = 0; i < 1000; ++i)
        journal.write(u"backlog"_qs); // what a file manager would see half written, unwaited
    journal.reveal();
    const QString record = dir.filePath(u"xdg-open.record"_qs);
    for (int i = 0; i < 1000 && !QFile::exists(record); ++i)
        QThread::msleep(10);
    const QList<QByteArray> lines = contents(record).split('\n');
    ASSERT_EQ(lines.size(), 1 + 1001 + 1);
    EXPECT_EQ(lines[0], QUrl::fromLocalFile(dir.path()).toEncoded());
    EXPECT_TRUE(lines[1001].endsWith(" log opened from the Help menu"));
}
