#include "FuzzInput.h"
#include "SendKit/protocol/StickReply.h"
#include "SendKit/protocol/StickRequest.h"
#include "SendKit/protocol/StickWireError.h"

#include <functional>
#include <iterator>

// Every payload decoder of both sides, chosen by the first byte; each reads the whole payload
// or throws StickWireError, and a reply it accepts encodes to a payload that decodes alike.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray payload = fuzzBytes(data + 1, size - 1);
    const std::function<void()> decoders[] = {
        [&] { StickReply::info(payload); },
        [&] {
            const auto begin = StickReply::begin(payload);
            if (!(StickReply::begin(StickReply::payload(begin)) == begin))
                std::abort();
        },
        [&] { StickReply::commit(payload); },
        [&] { StickReply::list(payload); },
        [&] { StickReply::lastResult(payload); },
        [&] { StickRequest::Frame::parse(payload); },
        [&] { StickRequest::DataChunk::parse(payload); },
        [&] { StickRequest::decodeGetInfo(payload); },
        [&] { StickRequest::decodeBegin(payload); },
        [&] { StickRequest::decodeTransferID(payload); },
        [&] { StickRequest::decodeList(payload); },
        [&] { StickRequest::decodeDelete(payload); },
        [&] { StickRequest::decodeIdentify(payload); },
        [&] { StickRequest::decodeLastResult(payload); },
    };
    try {
        decoders[data[0] % std::size(decoders)]();
    } catch (const StickWireError&) {
    }
    return 0;
}
