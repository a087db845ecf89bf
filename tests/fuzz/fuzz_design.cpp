#include "FuzzInput.h"

#include "SendKit/designs/DesignReadError.h"
#include "SendKit/designs/DesignReader.h"

#include <array>

// Any bytes under any design extension, the first byte choosing which: the reader gives a design,
// whose figures can be taken, or one sentence, and never reads outside the bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const std::array<QString, 5> names{"x.dst", "x.exp", "x.jef", "x.pes", "x.vp3"};
    try {
        const StitchDesign design =
            DesignReader::read(names[data[0] % names.size()], fuzzBytes(data + 1, size - 1));
        static_cast<void>(design.size());
    } catch (const DesignReadError&) {
    }
    return 0;
}
