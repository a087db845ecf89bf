#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/DesignReader.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <array>

#include <sys/stat.h>

namespace {

QByteArray sample(const QString& name) {
    QFile file(QStringLiteral(BRINDLE_SAMPLES "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

QByteArray dstHeader() {
    return QByteArray("LA:check").leftJustified(512, ' ');
}

QByteArray bigEndian(qint64 value, int length) {
    QByteArray bytes;
    for (int shift = 8 * (length - 1); shift >= 0; shift -= 8)
        bytes += char(value >> shift);
    return bytes;
}

// A JEF header naming one thread, by the first code beyond Janome's chart, its stitches beginning
// after the thread tables.
QByteArray jefHeader(quint32 stitchOffset = 124) {
    QByteArray header(124, '\0');
    qToLittleEndian<quint32>(stitchOffset, header.data());
    qToLittleEndian<quint32>(1, header.data() + 24);
    qToLittleEndian<quint32>(79, header.data() + 116);
    return header;
}

// A PES file whose PEC part follows its 12-byte header at once, up to its stitches; its two
// colours are Brother's red and the first index beyond Brother's chart.
QByteArray pesHeader() {
    return QByteArray::fromHex("2350455330303031 0C000000") +
           QByteArray("LA:check").leftJustified(48, ' ') + QByteArray::fromHex("010541") +
           QByteArray(481, ' ');
}

// A VP3 colour block as the format's documentation lays it out: its start in µm from the
// design's centre, its thread and its stitch bytes.
QByteArray vp3Block(int x, int y, quint32 rgb, const QByteArray& stitchesHex) {
    const QByteArray body = bigEndian(x, 4) + bigEndian(y, 4) + QByteArray::fromHex("0100") +
                            bigEndian(rgb, 3) + QByteArray::fromHex("0000000528") +
                            QByteArray(6 + 8, '\0') + QByteArray::fromHex("00010000000000 0AF600") +
                            QByteArray::fromHex(stitchesHex);
    return QByteArray::fromHex("000500") + bigEndian(body.size(), 4) + body;
}

// A VP3 file of the given colour blocks, the design's centre 1 mm right of the start point; the
// first block begins at byte 114.
QByteArray vp3File(const QList<QByteArray>& blocks) {
    QByteArray file = QByteArray("%vsm%", 6) + QByteArray::fromHex("0000 00020000000000 0000") +
                      QByteArray(32, '\0') + bigEndian(1000, 4) + bigEndian(0, 4) +
                      QByteArray(27 + 2 + 24 + 2, '\0') + bigEndian(blocks.size(), 2);
    for (const QByteArray& block : blocks)
        file += block;
    return file;
}

QString failure(const QString& fileName, const QByteArray& bytes) {
    try {
        DesignReader::read(fileName, bytes);
    } catch (const DesignReadError& error) {
        return error.message();
    }
    return QStringLiteral("read without complaint");
}

// The samples read back as make-samples made them, and records as the formats' documentation
// spells them, so that the readers do not merely agree with our own encoders.
TEST(DesignReader, filesReadToTheirFigures) {
    struct Row {
        QString file;
        QByteArray bytes;
        int stitches, jumps, trims, colorChanges;
        QPoint low, high;
        QPoint end;
        QList<quint32> colors = {};
    };
    for (const Row& row :
         {Row{"star.dst", sample("star.dst"), 120, 5, 0, 1, {-285, -243}, {285, 300}, {0, 150}},
          Row{"heart.exp", sample("heart.exp"), 192, 2, 0, 1, {-288, -306}, {288, 215}, {0, 45}},
          Row{"a.dst",
              dstHeader() + QByteArray::fromHex("A81223A812A30000C30000F3"),
              1,
              1,
              0,
              1,
              {-24, 0},
              {0, 128},
              {-24, 128}},
          Row{"a.EXP",
              QByteArray::fromHex("007F7F0080047F008001000000818080"),
              3,
              1,
              0,
              1,
              {0, 0},
              {254, 127},
              {254, 0}},
          Row{"b.exp",
              QByteArray::fromHex("800205058080010100FF"),
              2,
              0,
              1,
              0,
              {0, 0},
              {6, 6},
              {6, 5}},
          Row{"flower.jef",
              sample("flower.jef"),
              138,
              12,
              0,
              1,
              {-223, -201},
              {223, 230},
              {60, 0},
              {0xF669A0, 0xFFFF17}},
          Row{"leaf.pes",
              sample("leaf.pes"),
              90,
              4,
              0,
              1,
              {-160, -400},
              {160, 300},
              {0, 240},
              {0x66BA49, 0xB27624}},
          Row{"wave.vp3",
              sample("wave.vp3"),
              80,
              2,
              0,
              1,
              {-400, -160},
              {400, 160},
              {400, -100},
              {0x1E77AC, 0xE3311F}},
          Row{"a.jef",
              jefHeader() + QByteArray::fromHex("0A0A 8002 0000 8002 0505 8001 0000 FF01 8010"),
              2,
              1,
              1,
              1,
              {0, 0},
              {15, 16},
              {14, 16},
              {0x000000}},
          Row{"a.pes",
              pesHeader() + QByteArray::fromHex("0A7F 91008020 A00000 FEB002 8FFF01 FF"),
              2,
              1,
              1,
              1,
              {0, -32},
              {266, 1},
              {265, -32},
              {0xED171F, 0x000000}},
          // A long move after a trim travels; the next block's start is reached by a jump.
          Row{"a.vp3",
              vp3File({vp3Block(-1000, 0, 0x112233,
                                "0505 80010100FF008002 8003 8001000002008002 0A0A 00"),
                       vp3Block(9000, -1000, 0x445566, "FB05")}),
              4,
              2,
              1,
              1,
              {0, -271},
              {271, 251},
              {95, -15},
              {0x112233, 0x445566}}}) {
        SCOPED_TRACE(row.file.toStdString());
        const StitchDesign design = DesignReader::read(row.file, row.bytes);
        EXPECT_EQ(design.format, QFileInfo(row.file).suffix().toUpper());
        EXPECT_EQ((std::array{design.stitchCount(), design.jumps(), design.trims(),
                              design.colorChanges()}),
                  (std::array{row.stitches, row.jumps, row.trims, row.colorChanges}));
        EXPECT_EQ(design.extents(), QRect(row.low, row.high));
        EXPECT_EQ(design.stitches.last().position, row.end);
        EXPECT_EQ(design.threadColors, row.colors);
        // Every cut of it reads or says why not; reading out of bounds shows under ASan.
        for (qsizetype length = 0; length < row.bytes.size(); ++length) {
            try {
                DesignReader::read(row.file, row.bytes.first(length));
            } catch (const DesignReadError&) {
            }
        }
    }
}

TEST(DesignReader, wrongOrCutFilesAreNamedInOneSentence) {
    const QByteArray star = sample("star.dst");
    const QByteArray heart = sample("heart.exp");
    for (const auto& [file, bytes, message] :
         std::initializer_list<std::tuple<QString, QByteArray, QString>>{
             {"star.dst", star.first(212), "star.dst is not a DST design: it ends after 212 bytes"},
             {"star.dst", star.chopped(3), "star.dst is not a DST design: it ends after 890 bytes"},
             {"star.dst", QByteArray(600, '\x89'),
              "star.dst is not a DST design: its header does not begin with LA:"},
             {"heart.exp", heart.chopped(3),
              "heart.exp is not an EXP design: it ends after 395 bytes"},
             {"heart.exp", {}, "heart.exp is not an EXP design: it ends after 0 bytes"},
             {"heart.exp", QByteArray::fromHex("0101 8003 0101"),
              "heart.exp is not an EXP design: byte 2 holds the unknown command 80 03"},
             {"a.jef", jefHeader().first(100),
              "a.jef is not a JEF design: it ends after 100 bytes"},
             {"a.jef", jefHeader(116) + QByteArray::fromHex("8010"),
              "a.jef is not a JEF design: its stitches would begin at byte 116, inside its header"},
             {"star.pes", star, "star.pes is not a PES design: it does not begin with #PES"},
             {"a.pes", pesHeader().first(212),
              "a.pes is not a PES design: it ends after 212 bytes"},
             {"a.pes", pesHeader() + QByteArray::fromHex("0A7F 91 00 FEB0"),
              "a.pes is not a PES design: it ends after 550 bytes"},
             {"star.vp3", star, "star.vp3 is not a VP3 design: it does not begin with %vsm%"},
             {"wave.vp3", sample("wave.vp3").first(300),
              "wave.vp3 is not a VP3 design: it ends after 300 bytes"},
             {"a.vp3", vp3File({QByteArray::fromHex("000600")}),
              "a.vp3 is not a VP3 design: its colour block at byte 114 does not begin with 00 05 "
              "00"},
             {"a.vp3", vp3File({vp3Block(0, 0, 0, "8001 0100"), vp3Block(0, 0, 0, "")}),
              "a.vp3 is not a VP3 design: its colour block at byte 114 is longer than it says"},
             {"a.vp3", vp3File({vp3Block(0, 0, 0, "0101 8007")}),
              "a.vp3 is not a VP3 design: byte 165 holds the unknown command 80 07"},
             {"a.vp3", vp3File({vp3Block(0, 0, 0, QByteArray("80017FFF00008002").repeated(31))}),
              "a.vp3 is not a VP3 design: its stitches run more than 100 m from where they begin"},
             {"a.sew", star, "a.sew: SEW designs cannot be read yet"},
         }) {
        EXPECT_EQ(failure(file, bytes), message);
    }
}

TEST(DesignReader, onlyRegularFilesAreReadFromDisk) {
    // A FIFO would block the reader until a writer came; a device like /dev/zero never ends.
    const QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("brindle-fifo.dst"));
    const QString zero = folder.filePath(QStringLiteral("brindle-zero.dst"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    for (const auto& [path, message] : std::initializer_list<std::pair<QString, QString>>{
             {QStringLiteral(BRINDLE_SAMPLES "/missing.dst"),
              "missing.dst cannot be opened: No such file or directory"},
             {fifo, "brindle-fifo.dst cannot be opened: it is not a regular file"},
             {zero, "brindle-zero.dst cannot be opened: it is not a regular file"}}) {
        try {
            DesignReader::readFile(path);
            ADD_FAILURE() << path.toStdString() << " was read";
        } catch (const DesignReadError& error) {
            EXPECT_EQ(error.kind(), DesignReadError::Kind::unopened);
            EXPECT_EQ(error.message(), message);
        }
    }
}

} // namespace
