#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickReply.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/protocol/StickWireError.h"

#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

// Every description a decoder may fail with.
bool isListedDescription(const QString& description) {
    static const QRegularExpression listed(QStringLiteral(
        "^(frame ends after \\d+ bytes, \\d+ needed|str8 is not UTF-8|\\d+ trailing bytes|"
        "0x[0-9A-F]{2} is neither a response nor an event|transfer id 0|overwrite flag \\d+)$"));
    return listed.match(description).hasMatch();
}

struct Decoder {
    const char* name;
    std::function<void(const QByteArray&)> decode;
};

const Decoder decoders[] = {
    {"frame", [](const QByteArray& b) { StickFrame::parse(b); }},
    {"info", [](const QByteArray& b) { StickReply::info(b); }},
    {"begin", [](const QByteArray& b) { StickReply::begin(b); }},
    {"commit", [](const QByteArray& b) { StickReply::commit(b); }},
    {"list", [](const QByteArray& b) { StickReply::list(b); }},
    {"lastResult", [](const QByteArray& b) { StickReply::lastResult(b); }},
    {"request", [](const QByteArray& b) { StickRequest::Frame::parse(b); }},
    {"dataChunk", [](const QByteArray& b) { StickRequest::DataChunk::parse(b); }},
    {"getInfoBody", [](const QByteArray& b) { StickRequest::decodeGetInfo(b); }},
    {"beginBody", [](const QByteArray& b) { StickRequest::decodeBegin(b); }},
    {"transferIDBody", [](const QByteArray& b) { StickRequest::decodeTransferID(b); }},
    {"listBody", [](const QByteArray& b) { StickRequest::decodeList(b); }},
    {"deleteBody", [](const QByteArray& b) { StickRequest::decodeDelete(b); }},
    {"identifyBody", [](const QByteArray& b) { StickRequest::decodeIdentify(b); }},
    {"lastResultBody", [](const QByteArray& b) { StickRequest::decodeLastResult(b); }},
};

// Well-formed inputs to cut short and to flip bytes in, so that the random cases reach past
// the first few fields.
QList<QByteArray> seeds() {
    const QByteArray digest(32, char(0x11));
    StickInfo info;
    info.firmwareVersion = "1.0.0";
    info.deviceName = QString::fromUtf8("Stick é");
    info.volumes = {StickVolume::fromWire(0, 3, 100, 50), StickVolume::fromWire(1, 4, 0, 0)};
    return {
        StickReply::payload(info),
        StickReply::payload(StickReply::Begin{1, 16384, 500}),
        StickReply::payload(StickReply::Commit{digest, 10, 0, "A.DST"}),
        StickReply::payload(StickReply::ListPage{2, 2, {{"a.pes", 1, 2}, {"b.pes", 3, 4}}}),
        StickReply::payload(StickReply::LastResult{StickStatus{0}, digest, "A.DST"}),
        StickRequest::begin(1, 1000, digest, 5, true, "A.DST").mid(2),
        QByteArray::fromHex("c1 00 03 00100000"),
        QByteArray::fromHex("c4 00 02 00 00"),
    };
}

TEST(StickDecoders, anyInputDecodesOrFailsWithAListedDescription) {
    std::mt19937 random(20240501);
    const QList<QByteArray> seedInputs = seeds();
    auto byte = [&] { return char(random() & 0xFF); };

    for (int iteration = 0; iteration < 1500; ++iteration) {
        QByteArray input;
        switch (iteration % 3) {
        case 0: // random bytes, mostly short
            input.resize(random() % (iteration % 30 == 0 ? 600 : 48));
            for (char& c : input)
                c = byte();
            break;
        case 1: // a well-formed input cut short
            input = seedInputs[random() % seedInputs.size()];
            input.truncate(random() % (input.size() + 1));
            break;
        default: // a well-formed input with a few bytes changed
            input = seedInputs[random() % seedInputs.size()];
            for (int flips = 1 + random() % 3; flips > 0 && !input.isEmpty(); --flips)
                input[random() % input.size()] = byte();
            break;
        }
        for (const Decoder& decoder : decoders) {
            try {
                decoder.decode(input);
            } catch (const StickWireError& error) {
                ASSERT_TRUE(isListedDescription(error.description()))
                    << decoder.name << " on " << input.toHex().constData() << ": "
                    << error.description().toStdString();
            }
        }
    }
}

} // namespace
