#include "FuzzInput.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickWireError.h"

#include <cstdlib>

// Any bytes from the radio: a frame either parses and encodes back to one that parses the same,
// or is refused with StickWireError.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const StickFrame frame = StickFrame::parse(fuzzBytes(data, size));
        if (!(StickFrame::parse(frame.encoded()) == frame))
            std::abort();
    } catch (const StickWireError&) {
    }
    return 0;
}
