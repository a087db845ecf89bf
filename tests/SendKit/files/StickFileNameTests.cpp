#include "SendKit/files/StickFileName.h"

#include <gtest/gtest.h>

using Problem = StickFileName::Problem;

namespace {

std::optional<Problem> problemOf(const QString& name) {
    return StickFileName::problem(name);
}

} // namespace

TEST(StickFileName, AcceptsPlainNamesWithAKnownExtensionInAnyCase) {
    EXPECT_EQ(problemOf(u"Rose 2 (big).DST"_qs), std::nullopt);
    EXPECT_EQ(problemOf(u"a-b_c.pes"_qs), std::nullopt);
    EXPECT_EQ(problemOf(u"preview.PNG"_qs), std::nullopt);
    EXPECT_EQ(problemOf(u"x.tar.dst"_qs), std::nullopt);
}

TEST(StickFileName, LimitsNamesTo64BytesOfUTF8) {
    const QString exact = QString(60, u'a') + u".dst"_qs;
    ASSERT_EQ(exact.toUtf8().size(), 64);
    EXPECT_EQ(problemOf(exact), std::nullopt);
    EXPECT_EQ(problemOf(u'a' + exact), Problem::badName);
    EXPECT_EQ(problemOf(QString()), Problem::badName);
}

TEST(StickFileName, RefusesBadShapesAndCharactersAsBadName) {
    for (const QString& name :
         {u".rose.dst"_qs, u"rose.dst."_qs, u"rose..dst"_qs, u" rose.dst"_qs, u"rose.dst "_qs,
          u"rosé.dst"_qs, u"a/b.dst"_qs, u"a\tb.dst"_qs, u"a:b.dst"_qs, u"."_qs, u"🌹.dst"_qs})
        EXPECT_EQ(problemOf(name), Problem::badName) << name.toStdString();
}

TEST(StickFileName, RefusesMissingOrUnknownExtensionsAsBadExtension) {
    EXPECT_EQ(problemOf(u"rose"_qs), Problem::badExtension);
    EXPECT_EQ(problemOf(u"rose.txt"_qs), Problem::badExtension);
    EXPECT_EQ(problemOf(u"rose.dst.txt"_qs), Problem::badExtension);
    // A name failing both ways reports the character problem first.
    EXPECT_EQ(problemOf(u"rosé"_qs), Problem::badName);
}

TEST(StickFileName, TellsCompanionFilesByTheirExtension) {
    EXPECT_TRUE(StickFileName::isCompanion(u"rose.INF"_qs));
    EXPECT_TRUE(StickFileName::isCompanion(u"rose.dst.png"_qs));
    EXPECT_FALSE(StickFileName::isCompanion(u"rose.dst"_qs));
    EXPECT_FALSE(StickFileName::isCompanion(u"inf"_qs));
    EXPECT_FALSE(StickFileName::isCompanion(u"rose.png.dst"_qs));
}

TEST(StickFileName, SanitizedSpellsGermanLettersOutEvenWhenDecomposed) {
    EXPECT_EQ(StickFileName::sanitized(u"Blümchen"_qs, u"PES"_qs), u"Bluemchen.pes"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"Blu\u0308mchen"_qs, u"pes"_qs), u"Bluemchen.pes"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"ÄÖÜ äöü ß"_qs, u"dst"_qs), u"AeOeUe aeoeue ss.dst"_qs);
}

TEST(StickFileName, SanitizedTransliteratesOtherScriptsToASCII) {
    EXPECT_EQ(StickFileName::sanitized(u"Café Crème"_qs, u"dst"_qs), u"Cafe Creme.dst"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"Роза"_qs, u"dst"_qs), u"Roza.dst"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"Œuvre ﬁn"_qs, u"dst"_qs), u"OEuvre fin.dst"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"北京"_qs, u"dst"_qs), u"bei jing.dst"_qs);
}

TEST(StickFileName, SanitizedCollapsesRunsAndFullStops) {
    EXPECT_EQ(StickFileName::sanitized(u"a / b"_qs, u"dst"_qs), u"a b.dst"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"a...b"_qs, u"dst"_qs), u"a.b.dst"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"a . . b"_qs, u"dst"_qs), u"a . . b.dst"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"  ..rose 🌹.. "_qs, u"dst"_qs), u"rose.dst"_qs);
    EXPECT_EQ(StickFileName::sanitized(u"tab\there:now"_qs, u"dst"_qs), u"tab here now.dst"_qs);
}

TEST(StickFileName, SanitizedFallsBackToDesignForAnEmptyBase) {
    for (const QString& base : {QString(), u"   "_qs, u"...."_qs, u" . . "_qs, u"🌹🌷"_qs, u"///"_qs})
        EXPECT_EQ(StickFileName::sanitized(base, u"jef"_qs), u"Design.jef"_qs)
            << base.toStdString();
}

TEST(StickFileName, SanitizedCutsTheBaseToFitSixtyFourBytes) {
    const QString letters = QString(70, u'x');
    const QString name = StickFileName::sanitized(letters, u"dst"_qs);
    EXPECT_EQ(name, QString(60, u'x') + u".dst"_qs);
    EXPECT_EQ(name.toUtf8().size(), 64);

    // A cut that ends on a space or full stop leaves neither dangling before the extension.
    const QString cutAtSpace = QString(59, u'y') + u"  zzzz"_qs;
    EXPECT_EQ(StickFileName::sanitized(cutAtSpace, u"dst"_qs), QString(59, u'y') + u".dst"_qs);
    const QString cutAtStop = QString(59, u'y') + u".zzzz"_qs;
    EXPECT_EQ(StickFileName::sanitized(cutAtStop, u"dst"_qs), QString(59, u'y') + u".dst"_qs);

    // The byte budget applies to the transliterated text, not to the original.
    const QString umlauts = QString(40, u'ü');
    EXPECT_EQ(StickFileName::sanitized(umlauts, u"pes"_qs), u"ue"_qs.repeated(30) + u".pes"_qs);
}

TEST(StickFileName, SanitizedNamesAlwaysPassTheStickRules) {
    const QString bases[] = {
        u"Blümchen"_qs,
        u"a / b"_qs,
        u"a...b"_qs,
        u"....."_qs,
        QString(200, u'é'),
        u"Ελληνικά γράμματα"_qs,
        u"日本語のファイル名"_qs,
        u"x\u0000y"_qs,
        u"(rose) [v2] {final}"_qs,
        QString(62, u'a') + u" b"_qs,
        u"漢字"_qs.repeated(40),
        u"Ünïcödé 🎉 ✂︎ — “quoted”"_qs,
    };
    for (const QString& base : bases) {
        for (const QStringList* list :
             {&StickFileName::stitchExtensions(), &StickFileName::companionExtensions()}) {
            for (const QString& ext : *list) {
                const QString name = StickFileName::sanitized(base, ext.toUpper());
                EXPECT_EQ(StickFileName::problem(name), std::nullopt)
                    << base.toStdString() << " -> " << name.toStdString();
                EXPECT_LE(name.toUtf8().size(), StickFileName::maxLength);
                EXPECT_TRUE(name.endsWith(u'.' + ext));
            }
        }
    }
}
