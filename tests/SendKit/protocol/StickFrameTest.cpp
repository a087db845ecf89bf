#include "SendKit/protocol/StickFrame.h"
#include "Hex.h"

#include <gtest/gtest.h>

namespace {

QString failure(const char* text) {
    return wireFailure([&] { StickFrame::parse(hex(text)); });
}

StickFrame response(quint8 opcode, quint8 seq, quint8 status, const char* payload = "") {
    return {StickFrame::Response{opcode, seq, StickStatus{status}, hex(payload)}};
}

StickFrame event(StickEvent event) {
    return {std::move(event)};
}

// The first byte decides: below 0x80 nothing, 0x80-0xBF a response, 0xC0 and above an event
// except 0xC0 itself, which is the response to opcode 0x40.
TEST(StickFrame, firstByteClassifiesAndLengthsAreExact) {
    EXPECT_EQ(failure(""), "frame ends after 0 bytes, 1 needed");
    for (const char* oneByte : {"05", "80", "c1", "c7"})
        EXPECT_EQ(failure(oneByte), "frame ends after 1 bytes, 2 needed");
    EXPECT_EQ(failure("05 00"), "0x05 is neither a response nor an event");
    EXPECT_EQ(failure("7f 00 00"), "0x7F is neither a response nor an event");
    EXPECT_EQ(failure("00 01"), "0x00 is neither a response nor an event");
    EXPECT_EQ(failure("81 07"), "frame ends after 2 bytes, 3 needed");
    EXPECT_EQ(failure("c1 00 03 00100000 00"), "1 trailing bytes");
    EXPECT_EQ(failure("c1 00 03 001000"), "frame ends after 6 bytes, 7 needed");
    EXPECT_EQ(failure("c2 00 04 0020000000"), "1 trailing bytes");
    EXPECT_EQ(failure("c3 00 02"), "frame ends after 3 bytes, 4 needed");
    EXPECT_EQ(failure("c4 00 02 00 00 00"), "1 trailing bytes");

    // An event's second byte is ignored; unknown event codes take any length.
    const std::pair<const char*, StickFrame> parsed[] = {
        {"80 01 00", response(0x00, 1, 0x00)},
        {"85 09 13 ff", response(0x05, 9, 0x13, "ff")},
        {"c0 02 00 0102", response(0x40, 2, 0x00, "0102")},
        {"c1 5a 03 00100000", event({StickEvent::Ack{3, 4096}})},
        {"c2 00 04 00200000", event({StickEvent::Nack{4, 8192}})},
        {"c3 00 02 11", event({StickEvent::TransferAborted{2, StickStatus{StickStatus::timeout}}})},
        {"c4 ee 02 01 07", event({StickEvent::StateChanged{{StickUSBState::HostActive{}}, 1, 7}})},
        {"c4 00 09 00 00", event({StickEvent::StateChanged{{StickUSBState::Unknown{9}}, 0, 0}})},
        {"c5 01", event({StickEvent::Unknown{0xC5}})},
        {"ff ff ffffffff", event({StickEvent::Unknown{0xFF}})},
    };
    for (const auto& [text, frame] : parsed)
        EXPECT_EQ(StickFrame::parse(hex(text)), frame) << text;
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
    EXPECT_EQ(event({StickEvent::Ack{3, 4096}}).encoded(), hex("c1 00 03 00100000"));

    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(StickUSBState::fromByte(quint8(byte)).byte(), byte);
    EXPECT_EQ(StickUSBState::fromByte(3), StickUSBState{StickUSBState::Swapping{}});
    EXPECT_NE(StickUSBState::fromByte(4), StickUSBState::fromByte(5));
}

TEST(StickFrame, eventTextsAreThoseOfTheLog) {
    EXPECT_EQ((StickEvent{StickEvent::Ack{3, 4096}}.text()), "ack(transferID: 3, offset: 4096)");
    EXPECT_EQ((StickEvent{StickEvent::Nack{3, 512}}.text()),
              "nack(transferID: 3, expectedOffset: 512)");
    EXPECT_EQ((StickEvent{StickEvent::TransferAborted{3, StickStatus{0x13}}}.text()),
              "transferAborted(transferID: 3, status: 0x13)");
    EXPECT_EQ((StickEvent{StickEvent::StateChanged{{StickUSBState::Unknown{9}}, 1, 255}}.text()),
              "stateChanged(usbState: unknown(9), activeVolume: 1, sdFlags: 255)");
    EXPECT_EQ((StickEvent{StickEvent::Unknown{199}}.text()), "unknown(code: 199)");
}

} // namespace
