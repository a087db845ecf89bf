#include "SendKit/protocol/StickRequest.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickStatus.h"
#include "SendKit/protocol/StickWireError.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

const QByteArray digest =
    QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");

QString failure(const std::function<void()>& decode) {
    try {
        decode();
    } catch (const StickWireError& error) {
        return error.description();
    }
    return QStringLiteral("<no failure>");
}

TEST(StickRequest, framesAreLaidOutByteForByte) {
    EXPECT_EQ(StickRequest::getInfo(7), QByteArray::fromHex("01 07 01 00"));
    EXPECT_EQ(StickRequest::begin(1, 1000, digest, 0x5F000000, true, QStringLiteral("A.DST")),
              QByteArray::fromHex("02 01 e8030000") + digest +
                  QByteArray::fromHex("0000005f 01 05 412e445354"));
    EXPECT_EQ(StickRequest::begin(1, 1000, digest, 0, true, QStringLiteral("A.DST")).size(), 49);
    EXPECT_EQ(StickRequest::commit(4, 9), QByteArray::fromHex("03 04 09"));
    EXPECT_EQ(StickRequest::abort(5, 9), QByteArray::fromHex("04 05 09"));
    EXPECT_EQ(StickRequest::list(3, 0x0102), QByteArray::fromHex("05 03 0201"));
    EXPECT_EQ(StickRequest::deleteFile(6, QStringLiteral("x")), QByteArray::fromHex("06 06 01 78"));
    EXPECT_EQ(StickRequest::identify(8, 30), QByteArray::fromHex("07 08 1e"));
    EXPECT_EQ(StickRequest::lastResult(9), QByteArray::fromHex("08 09"));
    EXPECT_EQ(StickRequest::dataChunk(2, 512, QByteArray::fromHex("aabbcc")),
              QByteArray::fromHex("02 00020000 aabbcc"));
}

// What the host builds, the stick side reads back unchanged.
TEST(StickRequest, stickSideDecodesEveryRequest) {
    using Frame = StickRequest::Frame;
    const auto body = [](const QByteArray& frame) { return Frame::parse(frame).body; };

    EXPECT_EQ(Frame::parse(StickRequest::getInfo(7)),
              (Frame{0x01, 7, QByteArray::fromHex("0100")}));
    EXPECT_EQ(StickRequest::decodeGetInfo(body(StickRequest::getInfo(7))),
              (StickRequest::Version{1, 0}));

    const QString longName = QString(300, QLatin1Char('n')) + QStringLiteral(".DST");
    const StickRequest::Begin begin =
        StickRequest::decodeBegin(body(StickRequest::begin(1, 77, digest, 12345, false, longName)));
    EXPECT_EQ(begin, (StickRequest::Begin{77, digest, 12345, false, longName.left(255)}));
    EXPECT_TRUE(
        StickRequest::decodeBegin(body(StickRequest::begin(1, 1, digest, 0, true, "a"))).overwrite);

    EXPECT_EQ(StickRequest::decodeTransferID(body(StickRequest::commit(1, 42))), 42);
    EXPECT_EQ(StickRequest::decodeTransferID(body(StickRequest::abort(1, 43))), 43);
    EXPECT_EQ(StickRequest::decodeList(body(StickRequest::list(1, 0xBEEF))), 0xBEEF);
    EXPECT_EQ(
        StickRequest::decodeDelete(body(StickRequest::deleteFile(1, QString::fromUtf8("Ü.PES")))),
        QString::fromUtf8("Ü.PES"));
    EXPECT_EQ(StickRequest::decodeIdentify(body(StickRequest::identify(1, 5))), 5);
    EXPECT_NO_THROW(StickRequest::decodeLastResult(body(StickRequest::lastResult(1))));

    const auto chunk = StickRequest::DataChunk::parse(
        StickRequest::dataChunk(3, 0x01020304, QByteArray(507, 'z')));
    EXPECT_EQ(chunk, (StickRequest::DataChunk{3, 0x01020304, QByteArray(507, 'z')}));
}

TEST(StickRequest, stickSideRejectsMalformedBodies) {
    EXPECT_EQ(failure([] { StickRequest::Frame::parse(QByteArray::fromHex("01")); }),
              "frame ends after 1 bytes, 2 needed");
    EXPECT_EQ(failure([] { StickRequest::DataChunk::parse(QByteArray::fromHex("01 000000")); }),
              "frame ends after 4 bytes, 5 needed");
    EXPECT_EQ(failure([] { StickRequest::decodeGetInfo(QByteArray::fromHex("01")); }),
              "frame ends after 1 bytes, 2 needed");
    EXPECT_EQ(failure([] { StickRequest::decodeTransferID(QByteArray::fromHex("0101")); }),
              "1 trailing bytes");
    EXPECT_EQ(failure([] { StickRequest::decodeLastResult(QByteArray::fromHex("00")); }),
              "1 trailing bytes");
    EXPECT_EQ(failure([] { StickRequest::decodeDelete(QByteArray::fromHex("02 ff41")); }),
              "str8 is not UTF-8");

    QByteArray begin =
        StickRequest::Frame::parse(StickRequest::begin(1, 1, digest, 0, true, "a")).body;
    begin[40] = 2; // the overwrite byte
    EXPECT_EQ(failure([&] { StickRequest::decodeBegin(begin); }), "overwrite flag 2");
    EXPECT_EQ(failure([&] { StickRequest::decodeBegin(begin.left(20)); }),
              "frame ends after 20 bytes, 36 needed");
}

TEST(StickOpcode, namesAndBytes) {
    EXPECT_EQ(displayName(quint8(0x01)), "GET_INFO");
    EXPECT_EQ(displayName(quint8(0x06)), "DELETE");
    EXPECT_EQ(displayName(quint8(0x08)), "LAST_RESULT");
    EXPECT_EQ(displayName(quint8(0x00)), "op 0x00");
    EXPECT_EQ(displayName(quint8(0x09)), "op 0x09");
    EXPECT_EQ(displayName(quint8(0x2A)), "op 0x2A");
    EXPECT_EQ(stickOpcode(0x05), StickOpcode::list);
    EXPECT_EQ(stickOpcode(0x00), std::nullopt);
    EXPECT_EQ(stickOpcode(0x09), std::nullopt);
    EXPECT_EQ(wireByte(StickOpcode::lastResult), 0x08);
}

TEST(StickStatus, textForms) {
    EXPECT_EQ(StickStatus{0x00}.text(), "OK");
    EXPECT_EQ(StickStatus{StickStatus::nameExists}.text(), "NAME_EXISTS");
    EXPECT_EQ(StickStatus{0x12}.text(), "NO_TRANSFER");
    EXPECT_EQ(StickStatus{0x13}.text(), "0x13");
    EXPECT_EQ(StickStatus{0xAB}.text(), "0xAB");
    EXPECT_EQ(StickStatus{0xFF}.text(), "INTERNAL");
    EXPECT_TRUE(StickStatus{0x00}.isOK());
    EXPECT_FALSE(StickStatus{0x12}.isOK());
}

} // namespace
