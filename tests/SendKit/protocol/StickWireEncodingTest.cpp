#include "Hex.h"
#include "SendKit/protocol/StickReader.h"
#include "SendKit/protocol/StickText.h"
#include "SendKit/protocol/StickWriter.h"

#include <gtest/gtest.h>

namespace {

TEST(StickWireEncoding, shortReadsNameTheWholeFrameAndLeaveTheOffset) {
    StickReader reader(hex("01 02 03 ff 0a 61"));
    reader.u8();
    EXPECT_EQ(wireFailure([&] { reader.requireEnd(); }), "5 trailing bytes");
    EXPECT_EQ(wireFailure([&] { reader.u64(); }), "frame ends after 6 bytes, 9 needed");
    EXPECT_EQ(wireFailure([&] { reader.bytes(-1); }), "frame ends after 6 bytes, 0 needed");
    EXPECT_EQ(reader.u16(), 0x0302);
    reader.u8();
    EXPECT_EQ(wireFailure([&] { reader.str8(); }), "frame ends after 6 bytes, 15 needed");
    EXPECT_EQ(reader.offset(), 4);
    reader.u16();
    EXPECT_NO_THROW(reader.requireEnd());
}

TEST(StickWireEncoding, str8DecodesStrictUTF8Only) {
    EXPECT_EQ(StickReader(hex("00")).str8(), QString());
    EXPECT_EQ(StickReader(hex("06 c3a9 e282ac 41")).str8(), QString::fromUtf8("é€A"));
    // Overlong forms, surrogates and cut characters are all refused.
    for (const char* text : {"03 61ff62", "02 c080", "03 eda080", "04 f4908080", "02 e282"}) {
        StickReader reader(hex(text) + hex("00"));
        EXPECT_EQ(wireFailure([&] { reader.str8(); }), "str8 is not UTF-8") << text;
        EXPECT_EQ(reader.offset(), 0) << text;
    }
}

TEST(StickWireEncoding, str8WriterShortensByWholeCharacters) {
    auto written = [](const QString& text) {
        StickWriter writer;
        writer.str8(text);
        return writer.data();
    };
    const QString ascii255(255, QLatin1Char('a'));
    EXPECT_EQ(written(ascii255 + 'b'), QByteArray(1, char(255)) + ascii255.toUtf8());

    // Bytes 255 and 256 are the two halves of one "é": the whole "é" goes.
    const QString split = QString(254, QLatin1Char('c')) + QString::fromUtf8("é");
    EXPECT_EQ(written(split), QByteArray(1, char(254)) + QByteArray(254, 'c'));

    // A base letter with its combining accent is one character and goes as one.
    const QString combining = QString(253, QLatin1Char('d')) + QString::fromUtf8("e\u0301");
    EXPECT_EQ(written(combining), QByteArray(1, char(253)) + QByteArray(253, 'd'));
}

TEST(StickText, dropsControlAndBidirectionalCharactersAndLimitsWholeCharacters) {
    const char controls[] = "a\0b\u007Fc\u0085d\u009Fe";
    const std::tuple<QString, int, QString> cases[] = {
        {QString::fromUtf8("A\u202EB\tC\u2066x\u2069"), 48, "ABCx"},
        {QString::fromUtf8(controls, sizeof controls - 1), 48, "abcde"},
        // No-break space and ordinary spaces stay; nothing is trimmed.
        {QString::fromUtf8(" a\u00A0b "), 48, QString::fromUtf8(" a\u00A0b ")},
        // Dropped characters do not count toward the limit.
        {QStringLiteral("\t\t\tabc"), 2, "ab"},
        // The last character kept keeps its combining mark; flags are one character.
        {QString::fromUtf8("abe\u0301f"), 3, QString::fromUtf8("abe\u0301")},
        {QString::fromUtf8("🇩🇪🇫🇷"), 1, QString::fromUtf8("🇩🇪")},
    };
    for (const auto& [text, limit, expected] : cases)
        EXPECT_EQ(StickText::clean(text, limit), expected) << text.toStdString();
}

} // namespace
