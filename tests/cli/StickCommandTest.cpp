#include "CliRun.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <utility>

namespace {

// A simulated stick kept in a temporary folder, and a second folder for the files to send.
class SimulatedStick : public ::testing::Test {
protected:
    // Writes a local file to send and returns its path.
    QString localFile(const QString& name, const QByteArray& data) {
        const QString path = m_local.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

    // The simulated stick over a radio that takes no time, so only the stack is tested.
    QStringList simulated() const {
        return {QStringLiteral("--simulate=") + m_stick.path(), "--sim-radio", "instant"};
    }
    CliRun run(const QStringList& arguments) { return CliRun::of(simulated() + arguments); }

    void putInFolder(const QString& name, const QByteArray& data, const QDateTime& modified) {
        QFile file(m_stick.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.flush();
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }

    QStringList stickFolder() const {
        return QDir(m_stick.path()).entryList(QDir::Files, QDir::Name);
    }
    QByteArray onStick(const QString& name) const { return contents(m_stick.filePath(name)); }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_stick;
    QTemporaryDir m_local;
};

QString shortDigest(const QByteArray& data) {
    return QString::fromLatin1(
        QCryptographicHash::hash(data, QCryptographicHash::Sha256).left(4).toHex());
}

TEST_F(SimulatedStick, sentDesignsStayInTheFolderAndDeletingRemovesThem) {
    const QByteArray stitches(3000, 's'), preview(20000, 'p'), heart(500, 'h');
    const CliRun sent = run({"send", localFile("Rosé Garden.DST", stitches),
                             localFile("Rosé Garden.png", preview), localFile("heart.exp", heart)});
    ASSERT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    // Companions go first; every file is named with the digest the stick read back.
    EXPECT_TRUE(sent.out.contains(QRegularExpression(
        QStringLiteral("^verified on Brindle Sim \\(internal\\) in \\d+\\.\\d s: "
                       "Rose Garden.png %1, Rose Garden.dst %2, heart.exp %3\n$")
            .arg(shortDigest(preview), shortDigest(stitches), shortDigest(heart)))))
        << sent.out.toStdString();
    EXPECT_EQ(stickFolder(), QStringList({"Rose Garden.dst", "Rose Garden.png", "heart.exp"}));
    EXPECT_EQ(onStick("Rose Garden.dst"), stitches);
    const QDateTime stamped = QFileInfo(m_stick.filePath("heart.exp")).lastModified();
    EXPECT_LE(std::abs(stamped.secsTo(QDateTime::currentDateTime())), 60);

    // A later run finds the files again, as designs and as the raw list.
    const CliRun designs = run({"list"});
    EXPECT_EQ(designs.exitCode, 0);
    const QStringList lines = designs.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << designs.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("NAME"));
    EXPECT_TRUE(designs.out.contains(QRegularExpression("Rose Garden +DST PNG +23.0 kB +\\S")))
        << designs.out.toStdString();
    EXPECT_TRUE(run({"list", "--files"}).out.contains(QRegularExpression("heart.exp +500 +20")));

    // An unknown name deletes nothing; a design goes with all its files, a file on its own.
    const CliRun unknown = run({"delete", "heart.exp", "tulip"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "error: No design or file named tulip on the stick.\n");
    EXPECT_EQ(stickFolder().size(), 3);
    const CliRun deleted = run({"delete", "rose garden", "HEART.EXP"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err.toStdString();
    EXPECT_EQ(deleted.out, "deleted rose garden: Rose Garden.dst, Rose Garden.png\n"
                           "deleted HEART.EXP: heart.exp\n");
    EXPECT_TRUE(stickFolder().isEmpty());
    EXPECT_EQ(run({"list"}).out, "The stick holds no files.\n");
}

TEST_F(SimulatedStick, theFolderHoldsOnlyTheSticksFilesAndIsNeverLeft) {
    const QDateTime twoHoursAgo = QDateTime::currentDateTime().addSecs(-2 * 3600 - 10);
    putInFolder("rose.pes", "rose", QDateTime(QDate(2026, 5, 4), QTime(13, 14, 15)));
    putInFolder("tulip.jef", "tulip", twoHoursAgo);
    putInFolder("notes.txt", "not for the stick", QDateTime::currentDateTime());
    // A link could lead anywhere: it is neither read nor written through.
    const QString outside = localFile("outside.dst", "outside");
    ASSERT_TRUE(QFile::link(outside, m_stick.filePath("lily.dst")));

    EXPECT_EQ(run({"list", "--files"}).out, QStringLiteral("NAME       SIZE  MODIFIED\n"
                                                           "rose.pes      4  2026-05-04 13:14:15\n"
                                                           "tulip.jef     5  %1\n")
                                                .arg(twoHoursAgo.toString("yyyy-MM-dd HH:mm:ss")));
    EXPECT_TRUE(run({"list"}).out.contains(QRegularExpression("tulip +JEF +5 bytes +2 hours ago")));

    EXPECT_EQ(run({"send", localFile("lily.dst", "lily")}).exitCode, 0);
    EXPECT_FALSE(QFileInfo(m_stick.filePath("lily.dst")).isSymLink());
    EXPECT_EQ(onStick("lily.dst"), "lily");
    EXPECT_EQ(contents(outside), "outside");

    EXPECT_EQ(run({"delete", "rose"}).exitCode, 0);
    EXPECT_EQ(stickFolder(), QStringList({"lily.dst", "notes.txt", "tulip.jef"}));
}

TEST_F(SimulatedStick, existingNamesAreReplacedOnlyWhenAllowed) {
    const QString design = localFile("Star.dst", "first");
    ASSERT_EQ(run({"send", design}).exitCode, 0);
    localFile("Star.dst", "second");

    // Without a terminal nobody can be asked: nothing is sent and the names are given.
    const CliRun refused = run({"send", design, localFile("new.exp", "new")});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(refused.err.startsWith("error: Already on the stick: Star.dst. "))
        << refused.err.toStdString();
    EXPECT_EQ(onStick("Star.dst"), "first");
    EXPECT_FALSE(stickFolder().contains("new.exp"));

    EXPECT_EQ(run({"send", "--replace", design}).exitCode, 0);
    EXPECT_EQ(onStick("Star.dst"), "second");

    // The stick ignores letter case: the file replaced goes, the new one stays.
    EXPECT_EQ(run({"send", "--replace", localFile("STAR.DST", "third")}).exitCode, 0);
    EXPECT_EQ(stickFolder(), QStringList{"STAR.dst"});
    EXPECT_EQ(onStick("STAR.dst"), "third");
}

TEST_F(SimulatedStick, misuseExitsWithTwoBeforeTouchingTheStick) {
    for (const QStringList& misuse :
         {QStringList{"--simulate", "send"}, QStringList{"--simulate", "delete"},
          QStringList{"--simulate", "list", "extra"}, QStringList{"--simulate", "info", "--files"},
          QStringList{"--simulate", "send", "--json", "--replace", "--bogus", "a.dst"},
          QStringList{"--simulate", "--json", "delete", "a"}, QStringList{"--simulate="},
          QStringList{"--sim-fault", "corrupt-readback", "list"},
          QStringList{"--sim-radio", "instant", "list"}, QStringList{"scan", "--files"},
          QStringList{"--simulate", "scan", "--seconds", "0"},
          QStringList{"--simulate", "doctor"}}) {
        const CliRun run = CliRun::of(misuse);
        EXPECT_EQ(run.exitCode, 2) << misuse.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("error: ")) << run.err.toStdString();
    }
}

TEST_F(SimulatedStick, onlyEmbroideryFilesAreSent) {
    const CliRun mixed = run({"send", localFile("readme.txt", "text"), localFile("a.vp3", "vp3")});
    EXPECT_EQ(mixed.exitCode, 0);
    EXPECT_EQ(mixed.err, "Not embroidery files, so not sent: readme.txt. The stick takes DST, "
                         "EXP, PES, JEF, VP3 and the other machine formats.\n");
    EXPECT_EQ(stickFolder(), QStringList{"a.vp3"});

    const CliRun none = run({"send", localFile("b.zip", "zip")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("not sent: b.zip")) << none.err.toStdString();
}

TEST_F(SimulatedStick, filesThatCannotBeSentAreRefusedBeforeConnectingNamingThem) {
    const QString rose = localFile("Rose.dst", "a"), lowerRose = localFile("rose.dst", "b");
    const CliRun clash = run({"-v", "send", rose, localFile("Blümchen.pes", "c"), lowerRose,
                              localFile("Bluemchen.pes", "d")});
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_FALSE(clash.err.contains("stick central")) << clash.err.toStdString();
    EXPECT_TRUE(clash.err.contains(QStringLiteral("error: %1 and %2 would both be stored as "
                                                  "Rose.dst on the stick. Rename one of them.")
                                       .arg(rose, lowerRose)));
    EXPECT_TRUE(clash.err.contains("Blümchen.pes and ")) << clash.err.toStdString();

    // A pipe must not hang the tool; an empty file is named.
    const QByteArray pipe = QFile::encodeName(m_local.filePath("pipe.dst"));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    for (const auto& [path, error] :
         {std::pair{m_local.filePath("pipe.dst"), "error: “pipe.dst” is not a file that can be"},
          std::pair{localFile("e.exp", ""), "error: “e.exp” is empty, so there is nothing"},
          std::pair{m_local.filePath("gone.dst"), "error: The file could not be read. Is it"}}) {
        const CliRun refused = run({"-v", "send", path});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.startsWith(error)) << refused.err.toStdString();
    }
    EXPECT_TRUE(stickFolder().isEmpty());
}

TEST_F(SimulatedStick, faultsShowAsErrorsOrAreSurvived) {
    const QString design = localFile("star.dst", QByteArray(5000, 'x'));
    const CliRun corrupted = run({"--sim-fault", "corrupt-readback", "send", design});
    EXPECT_EQ(corrupted.exitCode, 1);
    EXPECT_EQ(corrupted.err, "error: What the stick stored differs from what was sent. Send "
                             "again. (StickError.integrityMismatch)\n");

    // A link lost during COMMIT is survived by reconnecting; -v shows how, time-stamped.
    const CliRun dropped = run({"-v", "--sim-fault=drop-link-after-commit", "--sim-fault",
                                "drop-chunk=0", "send", "--replace", design});
    EXPECT_EQ(dropped.exitCode, 0) << dropped.err.toStdString();
    EXPECT_TRUE(dropped.out.startsWith("verified on Brindle Sim"));
    const QRegularExpression logLine(
        "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d{4}) stick ");
    const QStringList lines = dropped.err.split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), [&](const QString& line) {
        return logLine.match(line).hasMatch();
    })) << dropped.err.toStdString();
    EXPECT_TRUE(dropped.err.contains("LAST_RESULT"));

    for (const auto& [fault, error] :
         {std::pair{"bluetooth=off", "error: Bluetooth is off."},
          std::pair{"stale-pairing", "error: The stick no longer knows this computer."},
          std::pair{"pairing-rejected", "error: Pairing did not work."},
          std::pair{"drop-link-at=1000", "error: The connection was lost."}}) {
        const CliRun failed = run({"--sim-fault", fault, "send", "--replace", design});
        EXPECT_EQ(failed.exitCode, 1) << fault;
        EXPECT_TRUE(failed.err.startsWith(error)) << failed.err.toStdString();
    }

    for (const QString bad : {"mtu=0", "drop-chunk=-1", "corrupt-readback=1", "usb=busy", "x",
                              "pairing=12345", "bluetooth=on", "drop-link-at=x"}) {
        const CliRun misused = run({"--sim-fault", bad, "info"});
        EXPECT_EQ(misused.exitCode, 2) << bad.toStdString();
        EXPECT_TRUE(misused.err.startsWith("error: unknown fault " + bad));
    }
    for (const QString bad : {"phy=3m", "drop-rate=1", "interval=2", "mtu=600", "fast"}) {
        const CliRun misused = run({"--sim-radio", bad, "info"});
        EXPECT_EQ(misused.exitCode, 2) << bad.toStdString();
        EXPECT_TRUE(misused.err.startsWith("error: unknown radio setting " + bad));
    }
}

TEST_F(SimulatedStick, jsonDocumentsForScripts) {
    const QByteArray data(1200, 'j');
    const CliRun sent = run({"--json", "send", localFile("j.pes", data)});
    ASSERT_EQ(sent.exitCode, 0);
    const QJsonObject receipt = QJsonDocument::fromJson(sent.out.toUtf8()).object();
    EXPECT_EQ(receipt["stickName"].toString(), "Brindle Sim");
    EXPECT_EQ(receipt["volume"].toString(), "internal");
    const QJsonObject stored = receipt["files"].toArray().first().toObject();
    EXPECT_EQ(stored["name"].toString(), "j.pes");
    EXPECT_EQ(stored["size"].toInteger(), 1200);
    EXPECT_EQ(stored["sha256"].toString(),
              QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());

    const QJsonObject designs =
        QJsonDocument::fromJson(run({"list", "--json"}).out.toUtf8()).object();
    const QJsonObject design = designs["designs"].toArray().first().toObject();
    EXPECT_EQ(design["name"].toString(), "j");
    EXPECT_EQ(design["newest"].toInteger(), receipt["mtime"].toInteger());

    const QJsonObject info = QJsonDocument::fromJson(run({"info", "--json"}).out.toUtf8()).object();
    EXPECT_EQ(info["maxFileSize"].toInteger(), 1572864);
    EXPECT_EQ(info["volumes"].toArray().size(), 2);
}

TEST_F(SimulatedStick, anExactFileNameWinsAndNamesBeyondACutListingAreStillDeleted) {
    putInFolder("x.dst", "file", QDateTime::currentDateTime());
    putInFolder("x.dst.pes", "design", QDateTime::currentDateTime());
    const CliRun exact = run({"delete", "x.dst", "X.DST"});
    EXPECT_EQ(exact.exitCode, 0) << exact.err.toStdString();
    EXPECT_EQ(exact.out, "deleted x.dst: x.dst\n");
    EXPECT_EQ(stickFolder(), QStringList{"x.dst.pes"});

    // Listing stops after its first 4096 entries; a file name past them is deleted as it is.
    for (int i = 0; i < 4200; ++i)
        putInFolder(QStringLiteral("f%1.dst").arg(i, 4, 10, QLatin1Char('0')), "f",
                    QDateTime::currentDateTime());
    const CliRun beyond = run({"delete", "x.dst.pes"});
    EXPECT_EQ(beyond.exitCode, 0) << beyond.err.toStdString();
    EXPECT_TRUE(beyond.err.startsWith("The stick lists only its first 4096 files here"));
    EXPECT_FALSE(stickFolder().contains("x.dst.pes"));
}

TEST_F(SimulatedStick, theStickIsFoundByScanOrNameAndPairedOnATerminalOnly) {
    const CliRun scan = run({"scan", "--seconds", "1", "--json"});
    EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    const QJsonObject stick =
        QJsonDocument::fromJson(scan.out.toUtf8())["sticks"].toArray().first().toObject();
    EXPECT_EQ(stick["name"].toString(), "Brindle Sim");
    EXPECT_LT(stick["rssi"].toInt(), 0);
    EXPECT_EQ(run({"--stick", stick["id"].toString(), "info"}).exitCode, 0);
    EXPECT_EQ(run({"--stick", "brindle sim", "info"}).exitCode, 0);
    const CliRun unknown = run({"--stick", QUuid::createUuid().toString(), "info"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.startsWith("error: No stick found.")) << unknown.err.toStdString();

    const QStringList pairing = simulated() + QStringList{"--sim-fault", "pairing=123456", "info"};
    const CliRun script = CliRun::of(pairing);
    EXPECT_EQ(script.exitCode, 1);
    EXPECT_TRUE(script.err.contains("(StickError.pairingFailed)\nThe stick's code can only be "
                                    "typed in a terminal"))
        << script.err.toStdString();
    EXPECT_EQ(CliRun::onTerminal(pairing, "654321\n").exitCode, 1);
    const CliRun typed = CliRun::onTerminal(pairing, "12345\n123456\n");
    EXPECT_EQ(typed.exitCode, 0) << typed.err.toStdString();
    EXPECT_TRUE(typed.err.contains("That is not 6 digits.\nType the 6 digits shown on the "
                                   "stick's display: "));
    EXPECT_TRUE(typed.out.contains("deviceName: Brindle Sim"));
}

} // namespace
