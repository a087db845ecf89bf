#include "app/core/StickFileBatch.h"
#include "support/TestHarness.h"

#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// The placeholders and menu shortcuts of a text, sorted.
QStringList marks(const QString& text) {
    static const QRegularExpression mark(u"%L?\\d+|%n|&(?=[^\\s&])"_qs);
    QStringList found;
    for (const QRegularExpressionMatch& match : mark.globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

TEST(TranslationTest, EveryTextHasAGermanTranslationKeepingItsPlaceholders) {
    QFile file(QStringLiteral(BRINDLE_TRANSLATIONS "/brindle-stick_de.ts"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString source;
    int translated = 0;
    while (xml.readNext() != QXmlStreamReader::EndDocument && !xml.hasError()) {
        if (xml.isStartElement() && xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.isStartElement() && xml.name() == u"translation") {
            EXPECT_TRUE(xml.attributes().value(QStringLiteral("type")).isEmpty())
                << source.toStdString();
            const QString translation = xml.readElementText();
            EXPECT_FALSE(translation.isEmpty()) << source.toStdString();
            EXPECT_EQ(marks(translation), marks(source)) << source.toStdString();
            ++translated;
        }
    }
    EXPECT_FALSE(xml.hasError());
    EXPECT_GT(translated, 100);

    // Built in, and filed under the context the code asks with.
    TestHarness harness;
    QTranslator german;
    ASSERT_TRUE(german.load(u":/i18n/brindle-stick_de.qm"_qs));
    QCoreApplication::installTranslator(&german);
    EXPECT_EQ(
        StickFileBatch::Failure(StickFileBatch::Failure::Kind::empty, "/tmp/Rose.dst").message(),
        u"„Rose.dst“ ist leer, es gibt also nichts zu senden."_qs);
    QCoreApplication::removeTranslator(&german);
}

} // namespace
