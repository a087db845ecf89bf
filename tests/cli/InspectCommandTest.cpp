#include "CliRun.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString samples = QStringLiteral(BRINDLE_SAMPLES "/");

TEST(InspectCommand, everyFileIsReportedAndABadOneFailsTheRun) {
    const CliRun text = CliRun::of({"inspect", samples + "heart.exp", samples + "star.png",
                                    samples + "missing.dst", samples + "flower.jef"});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_TRUE(text.out.startsWith("heart.exp: EXP design\n  stitches:       192\n"));
    EXPECT_TRUE(text.out.contains("star.png: companion file of a design, no stitches\n"));
    EXPECT_TRUE(text.out.contains("  size:           44.6 × 43.1 mm\n"
                                  "  colours:        #F669A0, #FFFF17\n"));
    EXPECT_EQ(text.err, "error: missing.dst cannot be opened: No such file or directory\n");

    const CliRun json =
        CliRun::of({"inspect", "--json", samples + "star.dst", samples + "leaf.pes"});
    EXPECT_EQ(json.exitCode, 0);
    const QJsonArray designs = QJsonDocument::fromJson(json.out.toUtf8()).array();
    const QJsonObject star = designs.at(0).toObject();
    EXPECT_EQ(star["stitches"].toInt(), 120);
    EXPECT_DOUBLE_EQ(star["heightMm"].toDouble(), 54.3);
    EXPECT_EQ(designs.at(1)["colors"].toArray(), QJsonArray({"#66BA49", "#B27624"}));

    // A name that would garble the terminal line, or reverse it, is shown without its tricks.
    const QTemporaryDir folder;
    const QString odd = folder.filePath(QString::fromUtf8("evil\t\u202egpj.dst"));
    ASSERT_TRUE(QFile::copy(samples + "star.dst", odd));
    EXPECT_TRUE(CliRun::of({"inspect", odd}).out.startsWith("evilgpj.dst: DST design\n"));

    // The heart's jumps run up the middle, from the start point to each outline: none is drawn.
    const QString png = folder.filePath("heart.png");
    ASSERT_EQ(CliRun::of({"inspect", samples + "heart.exp", "--png", png}).exitCode, 0);
    const QImage picture(png);
    EXPECT_EQ(picture.size(), QSize(512, 512));
    EXPECT_EQ(picture.pixel(256, 204), qRgb(255, 255, 255));
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            drawn += picture.pixel(x, y) != qRgb(255, 255, 255);
    }
    EXPECT_GT(drawn, 1000);

    EXPECT_EQ(CliRun::of({"inspect"}).exitCode, 2);
    EXPECT_EQ(
        CliRun::of({"inspect", samples + "heart.exp", samples + "star.dst", "--png", png}).exitCode,
        2);
    EXPECT_EQ(CliRun::of({"--simulate", "inspect", samples + "star.dst"}).exitCode, 2);
}

} // namespace
