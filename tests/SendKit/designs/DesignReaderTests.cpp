#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/DesignReader.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

using Kind = StitchDesign::Stitch::Kind;

QByteArray sample(const QString& name) {
    QFile file(QStringLiteral(BRINDLE_SAMPLES "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

QByteArray dstHeader() {
    return QByteArray("LA:check").leftJustified(512, ' ');
}

// A JEF header naming one thread, its stitches beginning after the thread tables.
QByteArray jefHeader(quint32 stitchOffset = 124) {
    QByteArray header(124, '\0');
    qToLittleEndian<quint32>(stitchOffset, header.data());
    qToLittleEndian<quint32>(1, header.data() + 24);
    return header;
}

// A PES file whose PEC part follows its 12-byte header at once, up to its stitches.
QByteArray pesHeader() {
    return QByteArray::fromHex("2350455330303031 0C000000") +
           QByteArray("LA:check").leftJustified(532, ' ');
}

QString failure(const QString& fileName, const QByteArray& bytes) {
    try {
        DesignReader::read(fileName, bytes);
    } catch (const DesignReadError& error) {
        return error.message();
    }
    return QStringLiteral("read without complaint");
}

// The figures make-samples put into its designs.
TEST(DesignReader, samplesReadBackAsMade) {
    struct Row {
        QString file;
        QString format;
        int stitches;
        int jumps;
        QRect extents;
        QPoint end;
    };
    for (const Row& row : {Row{"star.dst", "DST", 120, 5,
                               QRect(QPoint(-285, -243), QPoint(285, 300)), QPoint(0, 150)},
                           Row{"heart.exp", "EXP", 192, 2,
                               QRect(QPoint(-288, -306), QPoint(288, 215)), QPoint(0, 45)}}) {
        SCOPED_TRACE(row.file.toStdString());
        const StitchDesign design = DesignReader::read(row.file, sample(row.file));
        EXPECT_EQ(design.format, row.format);
        EXPECT_EQ(design.stitchCount(), row.stitches);
        EXPECT_EQ(design.jumps(), row.jumps);
        EXPECT_EQ(design.colorChanges(), 1);
        EXPECT_EQ(design.trims(), 0);
        EXPECT_EQ(design.extents(), row.extents);
        EXPECT_EQ(design.size(), QSize(row.extents.right() - row.extents.left(),
                                       row.extents.bottom() - row.extents.top()));
        ASSERT_FALSE(design.stitches.isEmpty());
        EXPECT_EQ(design.stitches.last().kind, Kind::end);
        EXPECT_EQ(design.stitches.last().position, row.end);
        EXPECT_TRUE(design.threadColors.isEmpty());
    }
}

// Records as the formats' documentation spells them, so that the readers do not merely agree
// with our own encoders.
TEST(DesignReader, documentedRecordsDecodeToTheirMovesAndKinds) {
    struct Row {
        QString file;
        QByteArray bytes;
        QList<std::pair<Kind, QPoint>> stitches;
    };
    for (const Row& row :
         {Row{"a.dst",
              dstHeader() + QByteArray::fromHex("A81223A812A30000C30000F3"),
              {{Kind::normal, {-12, 64}},
               {Kind::jump, {-24, 128}},
               {Kind::colorChange, {-24, 128}},
               {Kind::end, {-24, 128}}}},
          Row{"a.EXP",
              QByteArray::fromHex("007F7F0080047F008001000000818080"),
              {{Kind::normal, {0, 127}},
               {Kind::normal, {127, 127}},
               {Kind::jump, {254, 127}},
               {Kind::colorChange, {254, 127}},
               {Kind::normal, {254, 0}},
               {Kind::end, {254, 0}}}},
          Row{"a.jef",
              jefHeader() + QByteArray::fromHex("0A0A 8002 0000 8002 0505 8001 0000 FF01 8010"),
              {{Kind::normal, {10, 10}},
               {Kind::trim, {10, 10}},
               {Kind::jump, {15, 15}},
               {Kind::colorChange, {15, 15}},
               {Kind::normal, {14, 16}},
               {Kind::end, {14, 16}}}},
          Row{"a.pes",
              pesHeader() + QByteArray::fromHex("0A7F 91008020 A00000 FEB002 8FFF01 FF"),
              {{Kind::normal, {10, 1}},
               {Kind::jump, {266, -31}},
               {Kind::trim, {266, -31}},
               {Kind::colorChange, {266, -31}},
               {Kind::normal, {265, -32}},
               {Kind::end, {265, -32}}}},
          Row{"b.exp",
              QByteArray::fromHex("800205058080010100FF"),
              {{Kind::normal, {5, 5}}, {Kind::trim, {6, 6}}, {Kind::normal, {6, 5}}}}}) {
        SCOPED_TRACE(row.file.toStdString());
        const StitchDesign design = DesignReader::read(row.file, row.bytes);
        QList<std::pair<Kind, QPoint>> stitches;
        for (const StitchDesign::Stitch& stitch : design.stitches)
            stitches.append({stitch.kind, stitch.position});
        EXPECT_EQ(stitches, row.stitches);
    }
}

TEST(DesignReader, wrongOrCutFilesAreNamedInOneSentence) {
    const QByteArray star = sample("star.dst");
    const QByteArray heart = sample("heart.exp");
    for (const auto& [file, bytes, message] :
         std::initializer_list<std::tuple<QString, QByteArray, QString>>{
             {"star.dst", star.first(212), "star.dst is not a DST design: it ends after 212 bytes"},
             {"star.dst", star.chopped(3),
              "star.dst is not a DST design: it ends after 890 bytes without its end record"},
             {"star.dst", star.chopped(1),
              "star.dst is not a DST design: it ends after 892 bytes without its end record"},
             {"star.dst", QByteArray(600, '\x89'),
              "star.dst is not a DST design: its header does not begin with LA:"},
             {"heart.exp", heart.chopped(3),
              "heart.exp is not an EXP design: it ends after 395 bytes"},
             {"heart.exp", QByteArray::fromHex("0101 8004"),
              "heart.exp is not an EXP design: it ends after 4 bytes"},
             {"heart.exp", {}, "heart.exp is not an EXP design: it ends after 0 bytes"},
             {"heart.exp", QByteArray::fromHex("0101 8003 0101"),
              "heart.exp is not an EXP design: byte 2 holds the unknown command 80 03"},
             {"a.jef", jefHeader().first(100),
              "a.jef is not a JEF design: it ends after 100 bytes"},
             {"a.jef", jefHeader() + QByteArray::fromHex("0A0A 80"),
              "a.jef is not a JEF design: it ends after 127 bytes"},
             {"a.jef", jefHeader(116) + QByteArray::fromHex("8010"),
              "a.jef is not a JEF design: its stitches would begin at byte 116, inside its header"},
             {"star.pes", star, "star.pes is not a PES design: it does not begin with #PES"},
             {"a.pes", pesHeader().first(212),
              "a.pes is not a PES design: it ends after 212 bytes"},
             {"a.pes", pesHeader() + QByteArray::fromHex("0A7F 91 00 FEB0"),
              "a.pes is not a PES design: it ends after 550 bytes"},
             {"star.vp3", star, "star.vp3: VP3 designs cannot be read yet"},
             {"README", star, "README has no extension that names a design format"}}) {
        EXPECT_EQ(failure(file, bytes), message);
    }
    try {
        DesignReader::readFile(QStringLiteral(BRINDLE_SAMPLES "/missing.dst"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const DesignReadError& error) {
        EXPECT_TRUE(error.message().startsWith("missing.dst cannot be opened: "));
    }
}

// Every cut of every file either reads or says why not; out-of-bounds reads show under ASan.
TEST(DesignReader, everyPrefixReadsOrIsRefused) {
    for (const auto& [file, bytes] : std::initializer_list<std::pair<QString, QByteArray>>{
             {"star.dst", sample("star.dst")},
             {"heart.exp", sample("heart.exp")},
             {"a.jef", jefHeader() + QByteArray::fromHex("0A0A 8002 0000 8001 0000 FF01 8010")},
             {"a.pes",
              pesHeader() + QByteArray::fromHex("0A7F 91008020 A00000 FEB002 8FFF01 FF")}}) {
        for (qsizetype length = 0; length <= bytes.size(); ++length) {
            try {
                DesignReader::read(file, bytes.first(length));
            } catch (const DesignReadError&) {
            }
        }
    }
}

} // namespace
