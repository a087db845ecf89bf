#include "CliRun.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

CliRun cli(const QStringList& arguments) {
    return CliRun::of(arguments);
}

TEST(DecodeCommand, framesPrintOneLine) {
    EXPECT_EQ(cli({"decode", "frame", "c1 00 03 00 10 00 00"}).out,
              "ack(transferID: 3, offset: 4096)\n");
    EXPECT_EQ(cli({"decode", "frame", "c3:00:03:11"}).out,
              "transferAborted(transferID: 3, status: TIMEOUT)\n");
    EXPECT_EQ(cli({"decode", "frame", "81", "07", "00"}).out,
              "response GET_INFO seq 7 status OK payload -\n");
    EXPECT_EQ(cli({"decode", "frame", "AA0113 00FF"}).out,
              "response op 0x2A seq 1 status 0x13 payload 00ff\n");
}

TEST(DecodeCommand, diagnosticsRecordPrintsOneLine) {
    const CliRun run = cli({"decode", "diagnostics", "01 00000000 0000 00 00 00"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("last pairing ")) << run.out.toStdString();
    EXPECT_EQ(run.out.count('\n'), 1);
}

TEST(DecodeCommand, repliesPrintOneFieldPerLineWithCleanTexts) {
    const QString digest(64, QLatin1Char('a'));
    const CliRun run = cli({"decode", "reply", "last-result", "00" + digest + "04 41 09 0a 42"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "status: OK\nstoredSHA256: " + digest + "\nstoredName: AB\n");

    EXPECT_EQ(
        cli({"decode", "reply", "list", "0100 ffff 01 0a000000 00000000 05 412e445354"}).out,
        "totalCount: 1\nnextIndex: none\nentries: 1\n  name: A.DST, size: 10, mtime: 0 (none)\n");
}

TEST(DecodeCommand, failuresAndMisuseHaveTheirExitCodes) {
    const CliRun undecodable = cli({"decode", "reply", "begin", "00 00400000 f401"});
    EXPECT_EQ(undecodable.exitCode, 1);
    EXPECT_EQ(undecodable.out, "");
    EXPECT_EQ(undecodable.err, "error: transfer id 0\n");

    EXPECT_EQ(cli({"decode", "frame", "c1"}).err, "error: frame ends after 1 bytes, 2 needed\n");
    EXPECT_EQ(cli({"decode", "diagnostics", ""}).err, "error: no diagnostics record\n");

    for (const QStringList& misuse :
         {QStringList{}, QStringList{"encode"}, QStringList{"decode", "frame"},
          QStringList{"decode", "frame", "c 1"}, QStringList{"decode", "frame", "zz"},
          QStringList{"decode", "reply", "status", "00"}}) {
        const CliRun run = cli(misuse);
        EXPECT_EQ(run.exitCode, 2) << misuse.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("error: ")) << run.err.toStdString();
    }
}

} // namespace
