#include "FuzzInput.h"
#include "SendKit/protocol/StickDiagnostics.h"

// The Diagnostics record never throws, whatever the stick offers, and every record it decodes
// can be written to the log.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto record = StickDiagnostics::decode(fuzzBytes(data, size)))
        record->description();
    return 0;
}
