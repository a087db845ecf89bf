#include "app/core/StickFileBatch.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = StickFileBatch::Failure::Kind;

class StickFileBatchTest : public ::testing::Test {
protected:
    QByteArray file(const QByteArray& name, const QByteArray& data) {
        // By its bytes: the name need not be UTF-8.
        const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
        std::FILE* out = std::fopen(path.constData(), "wb");
        EXPECT_NE(out, nullptr);
        std::fwrite(data.constData(), 1, size_t(data.size()), out);
        std::fclose(out);
        return path;
    }

    static std::optional<Kind> failureReading(const StickFileBatch& batch, quint64 limit) {
        try {
            batch.read(limit);
        } catch (const StickFileBatch::Failure& failure) {
            return failure.kind();
        }
        return std::nullopt;
    }

    QTemporaryDir m_dir;
};

TEST_F(StickFileBatchTest, onlyRegularFilesWithContentWithinTheLimitAreRead) {
    const QByteArray fifo = QFile::encodeName(m_dir.path()) + "/pipe.dst";
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    const QByteArray zero = QFile::encodeName(m_dir.path()) + "/zero.pes";
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), QFile::decodeName(zero)));

    // A pipe must not wait for a writer, a device must not be read until memory runs out.
    EXPECT_EQ(failureReading(StickFileBatch({fifo}), 1 << 20), Kind::notRegular);
    EXPECT_EQ(failureReading(StickFileBatch({zero}), 1 << 20), Kind::notRegular);
    EXPECT_EQ(failureReading(StickFileBatch({file("empty.dst", "")}), 1 << 20), Kind::empty);
    EXPECT_EQ(failureReading(StickFileBatch({file("big.dst", "12345")}), 4), Kind::tooLarge);
    EXPECT_EQ(failureReading(StickFileBatch({"/nowhere/gone.dst"}), 10), Kind::unreadable);

    const StickFileBatch empty({file("nothing.exp", "")});
    try {
        empty.check();
        ADD_FAILURE() << "an empty file passed the check";
    } catch (const StickFileBatch::Failure& failure) {
        EXPECT_EQ(failure.message(), "“nothing.exp” is empty, so there is nothing to send.");
    }

    const QList<StickFile> files =
        StickFileBatch({file("Blume.dst", "stitches"), file("Blume.png", "picture")}).read(8);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].name(), "Blume.png");
    EXPECT_EQ(files[1].data(), "stitches");
}

TEST_F(StickFileBatchTest, filesMeetingUnderOneStickNameAreNamedBoth) {
    const QByteArray rose = file("Rose.dst", "a"), lowerRose = file("rose.dst", "b");
    const QByteArray umlaut = file("Blümchen.pes", "c"), spelled = file("Bluemchen.pes", "d");
    const QByteArray odd = file("Gr\xfc\xdf\x65.dst", "e");
    const StickFileBatch batch({rose, umlaut, lowerRose, spelled, rose, odd});

    EXPECT_EQ(batch.accepted(), QList<QByteArray>({rose, umlaut, odd}));
    ASSERT_EQ(batch.clashes().size(), 2);
    EXPECT_EQ(batch.clashes()[0].kept, rose);
    EXPECT_EQ(batch.clashes()[0].dropped, lowerRose);
    EXPECT_EQ(batch.clashes()[1].kept, umlaut);
    EXPECT_EQ(batch.clashes()[1].dropped, spelled);
    // A name that is not UTF-8 is found by its bytes and shown escaped.
    EXPECT_EQ(StickFileBatch::displayName(odd), "Gr\\xfc\\xdfe.dst");
    EXPECT_EQ(batch.read(10).last().data(), "e");
    // Qt cannot name it to remove the folder.
    ::unlink(odd.constData());
}

} // namespace
