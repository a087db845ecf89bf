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
TEST(StickFrame, firstByteClassifiesLengthsAreExactAndFramesEncodeBack) {
    EXPECT_EQ(failure(""), "frame ends after 0 bytes, 1 needed");
    EXPECT_EQ(failure("c1"), "frame ends after 1 bytes, 2 needed");
    EXPECT_EQ(failure("7f 00 00"), "0x7F is neither a response nor an event");
    EXPECT_EQ(failure("00 01"), "0x00 is neither a response nor an event");
    EXPECT_EQ(failure("81 07"), "frame ends after 2 bytes, 3 needed");
    EXPECT_EQ(failure("c1 00 03 00100000 00"), "1 trailing bytes");
    EXPECT_EQ(failure("c3 00 02"), "frame ends after 3 bytes, 4 needed");

    // An event's second byte is ignored; unknown event codes take any length.
    const std::pair<const char*, StickFrame> parsed[] = {
        {"80 01 00", response(0x00, 1, 0x00)},
        {"bf 09 13 ff", response(0x3F, 9, 0x13, "ff")},
        {"c0 02 00 0102", response(0x40, 2, 0x00, "0102")},
        {"c1 5a 03 00100000", event({StickEvent::Ack{3, 4096}})},
        {"c2 00 04 00200000", event({StickEvent::Nack{4, 8192}})},
        {"c3 00 02 11", event({StickEvent::TransferAborted{2, StickStatus{StickStatus::timeout}}})},
        {"c4 ee 02 01 07", event({StickEvent::StateChanged{{StickUSBState::HostActive{}}, 1, 7}})},
        {"c4 00 09 00 00", event({StickEvent::StateChanged{{StickUSBState::Unknown{9}}, 0, 0}})},
        {"ff ff ffffffff", event({StickEvent::Unknown{0xFF}})},
    };
    for (const auto& [text, frame] : parsed) {
        EXPECT_EQ(StickFrame::parse(hex(text)), frame) << text;
        EXPECT_EQ(StickFrame::parse(frame.encoded()), frame) << text;
    }
    // The stick writes 0 into an event's second header byte.
    EXPECT_EQ(event({StickEvent::Ack{3, 4096}}).encoded(), hex("c1 00 03 00100000"));
}

} // namespace
