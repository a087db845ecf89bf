#include "SendKit/files/StickFileName.h"

#include <gtest/gtest.h>

using Problem = StickFileName::Problem;

TEST(StickFileName, JudgesNamesByShapeCharactersLengthAndExtension) {
    const QString exact = QString(60, u'a') + u".dst"_qs; // 64 bytes of UTF-8
    const std::pair<QString, std::optional<Problem>> cases[] = {
        {u"Rose 2 (big).DST"_qs, std::nullopt},
        {u"x.tar.pes"_qs, std::nullopt},
        {exact, std::nullopt},
        {u'a' + exact, Problem::badName},
        {QString(), Problem::badName},
        {u".rose.dst"_qs, Problem::badName},
        {u"rose..dst"_qs, Problem::badName},
        {u"rose.dst "_qs, Problem::badName},
        {u"rosé.dst"_qs, Problem::badName},
        {u"a/b.dst"_qs, Problem::badName},
        {u"a:b.dst"_qs, Problem::badName},
        {u"rose"_qs, Problem::badExtension},
        {u"rose.dst.txt"_qs, Problem::badExtension},
        {u"rosé"_qs, Problem::badName}, // the character problem comes first
    };
    for (const auto& [name, problem] : cases)
        EXPECT_EQ(StickFileName::problem(name), problem) << name.toStdString();
    EXPECT_TRUE(StickFileName::isCompanion(u"rose.dst.PNG"_qs));
    EXPECT_FALSE(StickFileName::isCompanion(u"inf"_qs));
    EXPECT_FALSE(StickFileName::isCompanion(u"rose.png.dst"_qs));
}

TEST(StickFileName, SanitizedTransliteratesAndCollapsesToASCII) {
    const std::pair<QString, QString> cases[] = {
        {u"Blu\u0308mchen"_qs, u"Bluemchen.dst"_qs}, // decomposed umlaut
        {u"ÄÖÜ äöü ß"_qs, u"AeOeUe aeoeue ss.dst"_qs},
        {u"Роза"_qs, u"Roza.dst"_qs},
        {u"a...b"_qs, u"a.b.dst"_qs},
        {u"a . . b"_qs, u"a . . b.dst"_qs},
        {u"  ..rose 🌹.. "_qs, u"rose.dst"_qs},
        {u"tab\there:now"_qs, u"tab here now.dst"_qs},
        {u" . . "_qs, u"Design.dst"_qs},
        {u"🌹🌷"_qs, u"Design.dst"_qs},
    };
    for (const auto& [base, expected] : cases)
        EXPECT_EQ(StickFileName::sanitized(base, u"DST"_qs), expected) << base.toStdString();
}

TEST(StickFileName, SanitizedCutsTheBaseToFitSixtyFourBytes) {
    EXPECT_EQ(StickFileName::sanitized(QString(70, u'x'), u"dst"_qs),
              QString(60, u'x') + u".dst"_qs);
    // A cut that ends on a space or full stop leaves neither dangling before the extension.
    for (const QString& tail : {u"  zzzz"_qs, u".zzzz"_qs})
        EXPECT_EQ(StickFileName::sanitized(QString(59, u'y') + tail, u"dst"_qs),
                  QString(59, u'y') + u".dst"_qs);
    // The byte budget applies to the transliterated text, not to the original.
    EXPECT_EQ(StickFileName::sanitized(QString(40, u'ü'), u"pes"_qs),
              u"ue"_qs.repeated(30) + u".pes"_qs);
}

TEST(StickFileName, SanitizedNamesAlwaysPassTheStickRules) {
    const QString bases[] = {
        u"....."_qs,
        QString(200, u'é'),
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
                EXPECT_TRUE(name.endsWith(u'.' + ext));
            }
        }
    }
}
