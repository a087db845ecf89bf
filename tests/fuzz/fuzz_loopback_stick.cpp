#include "FuzzInput.h"
#include "SendKit/loopback/LoopbackStick.h"
#include "SendKit/protocol/StickFrame.h"

// Whatever a host writes, the simulated stick answers without throwing, and every frame it
// sends is one the host can parse. Each input frame's first byte says whether it is written
// as a request (even) or a data chunk (odd). Opcode bytes above 0x40 are left out: the stick echoes
// them into the event range, as the firmware does, and the host never writes them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto stick = LoopbackStick::create(QStringLiteral("Fuzz"));
    stick->store(QStringLiteral("A.DST"), QByteArray(40, 'a'));
    stick->connect([](std::optional<QByteArray> frame) {
        if (frame)
            StickFrame::parse(*frame); // a StickWireError escapes and stops the run
    });
    for (const QByteArray& frame : fuzzFrames(data, size)) {
        if (frame.isEmpty())
            continue;
        if (frame[0] & 1)
            stick->receiveChunk(frame.sliced(1));
        else if (frame.size() < 2 || quint8(frame[1]) <= 0x40)
            stick->receiveRequest(frame.sliced(1));
    }
    return 0;
}
