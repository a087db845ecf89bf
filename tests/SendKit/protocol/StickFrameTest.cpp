#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickWireError.h"

#include <gtest/gtest.h>

namespace {

StickFrame parsed(const char* hex) {
    return StickFrame::parse(QByteArray::fromHex(hex));
}

QString failure(const QByteArray& bytes) {
    try {
        StickFrame::parse(bytes);
    } catch (const StickWireError& error) {
        return error.description();
    }
    return QStringLiteral("<no failure>");
}

StickFrame response(quint8 opcode, quint8 seq, quint8 status, const char* payloadHex = "") {
    return {
        StickFrame::Response{opcode, seq, StickStatus{status}, QByteArray::fromHex(payloadHex)}};
}

StickFrame event(StickEvent event) {
    return {std::move(event)};
}

TEST(StickFrame, headerBytesAreRequiredWhateverTheKind) {
    EXPECT_EQ(failure({}), "frame ends after 0 bytes, 1 needed");
    for (const char* oneByte : {"05", "80", "c1", "c7"})
        EXPECT_EQ(failure(QByteArray::fromHex(oneByte)), "frame ends after 1 bytes, 2 needed");
    EXPECT_EQ(failure(QByteArray::fromHex("05 00")), "0x05 is neither a response nor an event");
    EXPECT_EQ(failure(QByteArray::fromHex("7f 00 00")), "0x7F is neither a response nor an event");
    EXPECT_EQ(failure(QByteArray::fromHex("00 01")), "0x00 is neither a response nor an event");
}

TEST(StickFrame, responsesCarryEverythingAfterTheStatus) {
    EXPECT_EQ(failure(QByteArray::fromHex("81 07")), "frame ends after 2 bytes, 3 needed");
    EXPECT_EQ(parsed("80 01 00"), response(0x00, 1, 0x00));
    EXPECT_EQ(parsed("81 07 00"), response(0x01, 7, 0x00));
    EXPECT_EQ(parsed("85 09 13 ff"), response(0x05, 9, 0x13, "ff"));
    EXPECT_EQ(parsed("c0 02 00 0102"), response(0x40, 2, 0x00, "0102"));
}

TEST(StickFrame, eventsHaveExactLengthsAndIgnoreTheSecondByte) {
    EXPECT_EQ(parsed("c1 00 03 00100000"), event({StickEvent::Ack{3, 4096}}));
    EXPECT_EQ(parsed("c1 5a 03 00100000"), event({StickEvent::Ack{3, 4096}}));
    EXPECT_EQ(failure(QByteArray::fromHex("c1 00 03 00100000 00")), "1 trailing bytes");
    EXPECT_EQ(failure(QByteArray::fromHex("c1 00 03 001000")),
              "frame ends after 6 bytes, 7 needed");

    EXPECT_EQ(parsed("c2 00 04 00200000"), event({StickEvent::Nack{4, 8192}}));
    EXPECT_EQ(failure(QByteArray::fromHex("c2 00 04 0020000000")), "1 trailing bytes");

    EXPECT_EQ(parsed("c3 00 02 11"),
              event({StickEvent::TransferAborted{2, StickStatus{StickStatus::timeout}}}));
    EXPECT_EQ(failure(QByteArray::fromHex("c3 00 02")), "frame ends after 3 bytes, 4 needed");

    EXPECT_EQ(parsed("c4 ee 02 01 07"),
              event({StickEvent::StateChanged{{StickUSBState::HostActive{}}, 1, 7}}));
    EXPECT_EQ(parsed("c4 00 09 00 00"),
              event({StickEvent::StateChanged{{StickUSBState::Unknown{9}}, 0, 0}}));
    EXPECT_EQ(failure(QByteArray::fromHex("c4 00 02 00 00 00")), "1 trailing bytes");

    EXPECT_EQ(parsed("c7 00"), event({StickEvent::Unknown{0xC7}}));
    EXPECT_EQ(parsed("ff ff ffffffff"), event({StickEvent::Unknown{0xFF}}));
    EXPECT_EQ(parsed("c5 01"), event({StickEvent::Unknown{0xC5}}));
}

TEST(StickFrame, encodedFramesParseBackToThemselves) {
    const StickFrame frames[] = {
        response(0x03, 200, 0x0C, "00112233"),
        response(0x08, 1, 0xFF),
        event({StickEvent::Ack{1, 0xFFFFFFFF}}),
        event({StickEvent::Nack{255, 0}}),
        event({StickEvent::TransferAborted{9, StickStatus{StickStatus::badRequest}}}),
        event({StickEvent::StateChanged{{StickUSBState::Swapping{}}, 1, 0x80}}),
        event({StickEvent::Unknown{0xD0}}),
    };
    for (const StickFrame& frame : frames)
        EXPECT_EQ(StickFrame::parse(frame.encoded()), frame);
    // The stick writes 0 into an event's second header byte.
    EXPECT_EQ(event({StickEvent::Ack{3, 4096}}).encoded(),
              QByteArray::fromHex("c1 00 03 00100000"));
}

TEST(StickFrame, eventTextsAreThoseOfTheLog) {
    EXPECT_EQ((StickEvent{StickEvent::Ack{3, 4096}}.text()), "ack(transferID: 3, offset: 4096)");
    EXPECT_EQ((StickEvent{StickEvent::Nack{3, 512}}.text()),
              "nack(transferID: 3, expectedOffset: 512)");
    EXPECT_EQ((StickEvent{StickEvent::TransferAborted{3, StickStatus{0x11}}}.text()),
              "transferAborted(transferID: 3, status: TIMEOUT)");
    EXPECT_EQ((StickEvent{StickEvent::TransferAborted{3, StickStatus{0x13}}}.text()),
              "transferAborted(transferID: 3, status: 0x13)");
    EXPECT_EQ((StickEvent{StickEvent::StateChanged{{StickUSBState::HostActive{}}, 0, 0}}.text()),
              "stateChanged(usbState: hostActive, activeVolume: 0, sdFlags: 0)");
    EXPECT_EQ((StickEvent{StickEvent::StateChanged{{StickUSBState::Unknown{9}}, 1, 255}}.text()),
              "stateChanged(usbState: unknown(9), activeVolume: 1, sdFlags: 255)");
    EXPECT_EQ((StickEvent{StickEvent::Unknown{199}}.text()), "unknown(code: 199)");
}

TEST(StickFrame, usbStateBytesMapBothWays) {
    EXPECT_EQ(StickUSBState::fromByte(0), StickUSBState{StickUSBState::NoHost{}});
    EXPECT_EQ(StickUSBState::fromByte(1), StickUSBState{StickUSBState::HostIdle{}});
    EXPECT_EQ(StickUSBState::fromByte(3), StickUSBState{StickUSBState::Swapping{}});
    EXPECT_EQ(StickUSBState::fromByte(4), StickUSBState{StickUSBState::Unknown{4}});
    EXPECT_NE(StickUSBState::fromByte(4), StickUSBState::fromByte(5));
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(StickUSBState::fromByte(quint8(byte)).byte(), byte);
}

} // namespace
