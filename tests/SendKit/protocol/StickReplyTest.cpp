#include "SendKit/protocol/StickReply.h"
#include "Hex.h"
#include "SendKit/protocol/StickTime.h"

#include <gtest/gtest.h>

namespace {

const QByteArray digest(32, char(0x5A));

// A GET_INFO payload: name "My\t\u202EStick", then an internal volume, an SD card marked
// (0x06) not present, active and unsupported, and a volume of unknown kind with unknown flags.
const QByteArray infoPayload = hex("0102 a5a5a5a5 05 312e302e31 0b 4d7909e280ae537469636b f401"
                                   "00001800 00400000 02 01 03"
                                   "00 03 c077cc0000000000 e803000000000000"
                                   "01 06 0000000000000000 0000000000000000"
                                   "07 f9 0100000000000000 0200000000000000");

TEST(StickReplyInfo, decodesEveryFieldAndCleansTheName) {
    const StickInfo info = StickReply::info(infoPayload);
    EXPECT_EQ(info,
              (StickInfo{1,
                         2,
                         0xA5A5A5A5,
                         "1.0.1",
                         "MyStick",
                         500,
                         1572864,
                         16384,
                         {StickUSBState::HostActive{}},
                         1,
                         {{{StickVolume::Kind::Internal{}}, true, true, false, 13400000, 1000},
                          {{StickVolume::Kind::SDCard{}}, false, true, true, 0, 0},
                          {{StickVolume::Kind::Other{7}}, true, false, false, 1, 2}}}));
    EXPECT_EQ(info.active(), info.volumes[0]);
    EXPECT_TRUE(info.hasUnsupportedCard());

    StickInfo none;
    none.volumes = {StickVolume::fromWire(0, 1, 0, 0), StickVolume::fromWire(7, 4, 0, 0)};
    EXPECT_EQ(none.active(), std::nullopt);
    EXPECT_FALSE(none.hasUnsupportedCard());
}

TEST(StickReplyInfo, malformedPayloadsFail) {
    EXPECT_EQ(wireFailure([&] { StickReply::info(infoPayload + QByteArray(2, 0)); }),
              "2 trailing bytes");
    QByteArray badName = infoPayload;
    badName[6 + 6 + 1] = char(0xFF); // first byte of the device name
    EXPECT_EQ(wireFailure([&] { StickReply::info(badName); }), "str8 is not UTF-8");
}

TEST(StickReply, decodesTheOtherRepliesAndRejectsTheirFlaws) {
    EXPECT_EQ(StickReply::begin(hex("01 00400000 f401")), (StickReply::Begin{1, 16384, 500}));
    EXPECT_EQ(wireFailure([] { StickReply::begin(hex("00 00400000 f401")); }), "transfer id 0");
    // Length problems are reported before the identifier is judged.
    EXPECT_EQ(wireFailure([] { StickReply::begin(hex("00 00400000 f40100")); }),
              "1 trailing bytes");
    // A window beyond the range of int stays positive.
    EXPECT_EQ(StickReply::begin(hex("01 ffffffff 0000")).window, 0xFFFFFFFFLL);

    const QByteArray commit = digest + hex("e8030000 01 05 412e445354");
    EXPECT_EQ(StickReply::commit(commit), (StickReply::Commit{digest, 1000, 1, "A.DST"}));

    const QByteArray list =
        hex("0300 ffff 02 0a000000 01000000 05 412e445354 00000000 00000000 03 610962");
    EXPECT_EQ(StickReply::list(list),
              (StickReply::ListPage{3, std::nullopt, {{"A.DST", 10, 1}, {"ab", 0, 0}}}));
    EXPECT_EQ(wireFailure([] { StickReply::list(hex("0100 ffff 01 00")); }),
              "frame ends after 6 bytes, 9 needed");

    // Status 0xFF means there is no result yet.
    const QByteArray rest = digest + hex("01 61");
    EXPECT_EQ(StickReply::lastResult(QByteArray(1, char(0xFF)) + rest).status, std::nullopt);
    EXPECT_EQ(StickReply::lastResult(QByteArray(1, 0) + rest),
              (StickReply::LastResult{StickStatus{0}, digest, "a"}));
}

TEST(StickTime, localSecondsAndBack) {
    const QTimeZone east(2 * 3600);
    const QDateTime tenUTC(QDate(2024, 5, 1), QTime(10, 0), QTimeZone::utc());
    const quint32 mtime = StickTime::localSeconds(tenUTC, east);
    EXPECT_EQ(mtime,
              QDateTime(QDate(2024, 5, 1), QTime(12, 0), QTimeZone::utc()).toSecsSinceEpoch());
    EXPECT_EQ(StickTime::date(mtime, east), tenUTC);
    EXPECT_EQ(StickTime::date(0, east), std::nullopt);

    // Floored, then clamped to the u32 range.
    const QDateTime early = QDateTime::fromMSecsSinceEpoch(1500, QTimeZone::utc());
    EXPECT_EQ(StickTime::localSeconds(early, QTimeZone::utc()), 1u);
    EXPECT_EQ(StickTime::localSeconds(early, QTimeZone(-3600)), 0u);
    const QDateTime far(QDate(2200, 1, 1), QTime(0, 0), QTimeZone::utc());
    EXPECT_EQ(StickTime::localSeconds(far, QTimeZone::utc()), 4294967295u);
}

} // namespace
