#include "SendKit/protocol/StickRequest.h"
#include "Hex.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickStatus.h"

#include <gtest/gtest.h>

namespace {

const QByteArray digest = hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");

TEST(StickRequest, framesAreLaidOutByteForByte) {
    const std::pair<QByteArray, QByteArray> cases[] = {
        {StickRequest::getInfo(7), hex("01 07 01 00")},
        {StickRequest::begin(1, 1000, digest, 0x5F000000, true, QStringLiteral("A.DST")),
         hex("02 01 e8030000") + digest + hex("0000005f 01 05 412e445354")},
        {StickRequest::commit(4, 9), hex("03 04 09")},
        {StickRequest::abort(5, 9), hex("04 05 09")},
        {StickRequest::list(3, 0x0102), hex("05 03 0201")},
        {StickRequest::deleteFile(6, QStringLiteral("x")), hex("06 06 01 78")},
        {StickRequest::identify(8, 30), hex("07 08 1e")},
        {StickRequest::lastResult(9), hex("08 09")},
        {StickRequest::dataChunk(2, 512, hex("aabbcc")), hex("02 00020000 aabbcc")},
    };
    for (const auto& [frame, expected] : cases)
        EXPECT_EQ(frame.toHex(), expected.toHex());
}

TEST(StickRequest, stickSideRejectsMalformedBodies) {
    QByteArray begin =
        StickRequest::Frame::parse(StickRequest::begin(1, 1, digest, 0, true, "a")).body;
    begin[40] = 2; // the overwrite byte
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[] { StickRequest::DataChunk::parse(hex("01 000000")); },
         "frame ends after 4 bytes, 5 needed"},
        {[] { StickRequest::decodeTransferID(hex("0101")); }, "1 trailing bytes"},
        {[] { StickRequest::decodeLastResult(hex("00")); }, "1 trailing bytes"},
        {[&] { StickRequest::decodeBegin(begin); }, "overwrite flag 2"},
    };
    for (const auto& [decode, description] : cases)
        EXPECT_EQ(wireFailure(decode), description);
}

// Bytes outside the known sets keep their number in every text form.
TEST(StickRequest, opcodeAndStatusTextsFallBackToTheByte) {
    EXPECT_EQ(displayName(quint8(0x2A)), "op 0x2A");
    EXPECT_EQ(stickOpcode(0x09), std::nullopt);
    EXPECT_EQ(StickStatus{0x13}.text(), "0x13");
}

} // namespace
