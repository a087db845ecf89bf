#include "app/core/StickFileBatch.h"
#include "support/TestHarness.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;
};

QList<Message> readMessages(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    QList<Message> messages;
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.append({context, {}, {}, {}});
        } else if (xml.name() == u"source") {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            messages.back().type = xml.attributes().value(QStringLiteral("type")).toString();
            messages.back().translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

// The placeholders and menu shortcuts of a text, in order of value.
QStringList marks(const QString& text) {
    static const QRegularExpression mark(u"%L?\\d+|%n|&(?=[^\\s&])"_qs);
    QStringList found;
    for (const QRegularExpressionMatch& match : mark.globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

TEST(TranslationTest, EveryTextHasAGermanTranslationKeepingItsPlaceholders) {
    const QList<Message> messages =
        readMessages(QStringLiteral(BRINDLE_TRANSLATIONS "/brindle-stick_de.ts"));
    ASSERT_GT(messages.size(), 100);
    QTranslator german;
    ASSERT_TRUE(german.load(u":/i18n/brindle-stick_de.qm"_qs));
    for (const Message& message : messages) {
        SCOPED_TRACE(message.source.toStdString());
        EXPECT_TRUE(message.type.isEmpty()) << message.type.toStdString();
        EXPECT_FALSE(message.translation.isEmpty());
        EXPECT_EQ(marks(message.translation), marks(message.source));
        // The built-in catalogue is the one checked in.
        EXPECT_EQ(german.translate(message.context.toUtf8(), message.source.toUtf8()),
                  message.translation);
    }

    // The context the code asks with is the one the catalogue files the text under.
    TestHarness harness; // the application the translator is installed in
    QCoreApplication::installTranslator(&german);
    EXPECT_EQ(
        StickFileBatch::Failure(StickFileBatch::Failure::Kind::empty, "/tmp/Rose.dst").message(),
        u"„Rose.dst“ ist leer, es gibt also nichts zu senden."_qs);
    QCoreApplication::removeTranslator(&german);
}

} // namespace
