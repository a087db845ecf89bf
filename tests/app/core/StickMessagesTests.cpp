#include "app/core/StickMessages.h"

#include <QLocale>
#include <QSet>

#include <gtest/gtest.h>

#include <limits>

namespace {

// Sizes and numbers follow the default locale; pin it so the expected texts hold anywhere.
class StickMessagesTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

StickInfo infoWith(QList<StickVolume> volumes) {
    StickInfo info;
    info.volumes = std::move(volumes);
    return info;
}

StickVolume volume(quint8 kind, bool active, quint64 freeBytes) {
    const quint8 flags = StickVolume::presentFlag | (active ? StickVolume::activeFlag : 0);
    return StickVolume::fromWire(kind, flags, freeBytes * 2, freeBytes);
}

} // namespace

TEST_F(StickMessagesTest, InsertsPayloadsIntoTheirTexts) {
    EXPECT_EQ(StickMessages::message(StickError::firmwareIncompatible(u"2.1"_qs, u"1.0.10"_qs)),
              u"This stick speaks protocol 2.1 (firmware 1.0.10). Update its firmware to send "
              "from this version of Brindle Stick."_qs);
    EXPECT_EQ(StickMessages::message(StickError::nameRejected(u"50% off.dst"_qs)),
              u"The stick refused the file name “50% off.dst”. Rename the file with letters and "
              "digits, then send again."_qs);
    // A payload that looks like a placeholder is inserted as it stands.
    EXPECT_EQ(StickMessages::message(StickError::nameExists({u"%1.dst"_qs, u"b.pes"_qs})),
              u"Already on the stick: %1.dst, b.pes."_qs);
    // The size limit shows only when known, the stick's name only when there is one.
    EXPECT_EQ(StickMessages::message(StickError::fileTooLarge(1572864)),
              u"The file is larger than the stick takes (1.6 MB). Insert an SD card for larger "
              "files."_qs);
    EXPECT_EQ(StickMessages::message(StickError::fileTooLarge(0)),
              u"The file is larger than the stick takes. Insert an SD card for larger files."_qs);
    EXPECT_EQ(StickMessages::message(StickError::pairingStale(), u"Atelier"_qs),
              u"The stick no longer knows this computer. In Settings › Bluetooth, remove "
              "“Atelier”, then pair again."_qs);
    EXPECT_EQ(StickMessages::message(StickError::pairingStale(), QString()),
              u"The stick no longer knows this computer. In Settings › Bluetooth, remove "
              "“Brindle”, then pair again."_qs);
}

TEST_F(StickMessagesTest, GivesEveryErrorItsOwnTextInTheWordsOfThisComputer) {
    EXPECT_EQ(StickMessages::message(StickError::bluetoothOff()),
              u"Bluetooth is off. Turn it on in Settings › Bluetooth, then try again."_qs);
    EXPECT_EQ(StickMessages::message(StickError::machineBusy()),
              u"The machine is reading from the stick right now. Wait a moment, then send "
              "again."_qs);
    EXPECT_EQ(StickMessages::message(StickError::stickBusy()),
              u"The stick is still busy with another transfer. Try again in a moment."_qs);
    const QList<StickError> errors{StickError::fileTooLarge(1),
                                   StickError::notFound(u"a.dst"_qs),
                                   StickError::bluetoothUnauthorized(),
                                   StickError::bluetoothUnsupported(),
                                   StickError::stickUnreachable(),
                                   StickError::pairingFailed(),
                                   StickError::mtuTooSmall(),
                                   StickError::storageFull(),
                                   StickError::noMedium(),
                                   StickError::storageError(),
                                   StickError::transferInterrupted(),
                                   StickError::integrityMismatch(),
                                   StickError::timeout()};
    QSet<QString> texts;
    for (const StickError& error : errors) {
        const QString text = StickMessages::message(error);
        EXPECT_TRUE(text.endsWith(u'.')) << text.toStdString();
        EXPECT_FALSE(text.contains(u"Mac") || text.contains(u"System Settings"))
            << text.toStdString();
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), errors.size());
}

TEST_F(StickMessagesTest, DescribesFreeSpaceOfTheActiveVolume) {
    EXPECT_EQ(StickMessages::freeSpaceText(std::nullopt), std::nullopt);
    EXPECT_EQ(
        StickMessages::freeSpaceText(infoWith({volume(0, false, 5), volume(1, true, 1572864)})),
        u"SD card · 1.6 MB free"_qs);
    EXPECT_EQ(StickMessages::freeSpaceText(infoWith({volume(0, true, 999), volume(1, true, 7)})),
              u"Stick memory · 999 bytes free"_qs);
    EXPECT_EQ(StickMessages::freeSpaceText(infoWith({volume(9, true, 4'000'000'000)})),
              u"Stick memory · 4.0 GB free"_qs);
}

TEST_F(StickMessagesTest, WritesSizesInDecimalUnitsOfTheLocale) {
    EXPECT_EQ(StickMessages::byteCount(0), u"0 bytes"_qs);
    EXPECT_EQ(StickMessages::byteCount(1), u"1 byte"_qs);
    EXPECT_EQ(StickMessages::byteCount(1000), u"1.0 kB"_qs);
    EXPECT_EQ(StickMessages::byteCount(std::numeric_limits<quint64>::max()), u"9.2 EB"_qs);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(StickMessages::byteCount(1572864), u"1,6 MB"_qs);
}

TEST_F(StickMessagesTest, NamesRejectedFiles) {
    EXPECT_EQ(StickMessages::rejectedFilesNotice({u"notes.txt"_qs, u"photo.jpg"_qs}),
              u"Not embroidery files, so not sent: notes.txt, photo.jpg. The stick takes DST, EXP, "
              "PES, JEF, VP3 and the other machine formats."_qs);
}

TEST_F(StickMessagesTest, StatusLineOfAConnectedStepIsItsFreeSpace) {
    const StickInfo sdCard = infoWith({volume(1, true, 1572864)});
    EXPECT_EQ(StickMessages::statusLine(Step::Done{}, sdCard), u"SD card · 1.6 MB free"_qs);
    EXPECT_EQ(StickMessages::statusLine(Step::Ready{}, infoWith({volume(1, false, 9)})),
              u"Connected"_qs);
    EXPECT_EQ(StickMessages::statusLine(Step::Failed{}, sdCard), u"Not connected"_qs);
    EXPECT_EQ(StickMessages::statusLine(Step::Connecting{StickConnectPhase::Securing, {}}, sdCard),
              u"Securing the connection. If asked for a code, type the 6 digits on the stick's "
              "display."_qs);
}
