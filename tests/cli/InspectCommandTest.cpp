#include "CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const QString samples = QStringLiteral(BRINDLE_SAMPLES "/");

TEST(InspectCommand, everyFileIsReportedAndABadOneFailsTheRun) {
    const CliRun text =
        CliRun::of({"inspect", samples + "heart.exp", samples + "star.png", samples + "star.dst"});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_TRUE(text.out.startsWith("heart.exp: EXP design\n  stitches:       192\n"));
    EXPECT_TRUE(text.out.contains("star.dst: DST design\n"));
    EXPECT_TRUE(text.out.contains("  size:           57.0 × 54.3 mm\n"));
    EXPECT_EQ(text.err, "error: star.png: PNG designs cannot be read yet\n");

    const CliRun json = CliRun::of({"inspect", "--json", samples + "star.dst"});
    EXPECT_EQ(json.exitCode, 0);
    const QJsonObject star = QJsonDocument::fromJson(json.out.toUtf8()).array().at(0).toObject();
    EXPECT_EQ(star["stitches"].toInt(), 120);
    EXPECT_EQ(star["jumps"].toInt(), 5);
    EXPECT_DOUBLE_EQ(star["heightMm"].toDouble(), 54.3);

    EXPECT_EQ(CliRun::of({"inspect"}).exitCode, 2);
    EXPECT_EQ(CliRun::of({"--simulate", "inspect", samples + "star.dst"}).exitCode, 2);
}

} // namespace
