#include "FuzzInput.h"
#include "SendKit/StickError.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "tests/SendKit/bluetooth/ScriptedPlatform.h"
#include "tests/support/TestHarness.h"

#include <chrono>
#include <optional>

namespace {

using namespace std::chrono_literals;
using Device = ScriptedPlatform::Device;
using Kind = BluetoothPlatformError::Kind;

// Keeps the delegates the central hands out, so that the input can call them at any moment, as a
// misbehaving platform might.
class FuzzDevice : public Device {
public:
    void setDelegate(std::weak_ptr<Delegate> delegate) override {
        peer = delegate;
        Device::setDelegate(delegate);
    }
    std::weak_ptr<Delegate> peer;
};

class FuzzPlatform : public ScriptedPlatform {
public:
    void start(std::weak_ptr<Delegate> delegate) override {
        central = delegate;
        ScriptedPlatform::start(delegate);
    }
    std::weak_ptr<Delegate> central;
};

std::optional<BluetoothPlatformError> errorOf(quint8 byte) {
    if (byte % 12 == 11)
        return std::nullopt;
    return BluetoothPlatformError(static_cast<Kind>(byte % 12), QStringLiteral("fuzzed"));
}

// Plays one of the input's frames as a platform event and returns how long the link then runs
// before the next; the first byte of a frame picks the event and the rest are its arguments.
std::chrono::nanoseconds play(QByteArray frame, FuzzPlatform& platform,
                              const std::shared_ptr<FuzzDevice>& stick) {
    const QUuid characteristics[] = {StickProtocol::controlUUID, StickProtocol::replyUUID,
                                     StickProtocol::dataUUID, StickProtocol::diagnosticsUUID};
    frame.append(QByteArray(3, '\0'));
    const auto at = [&frame](int i) { return static_cast<quint8>(frame[i]); };
    const QUuid characteristic = characteristics[at(1) % 4];
    switch (at(0) % 8) {
    case 0: {
        ScriptedPlatform::Answer Device::*const answers[] = {
            &Device::connectAnswer, &Device::pairAnswer, &Device::subscribeAnswer,
            &Device::writeAnswer, &Device::diagnosticsAnswer};
        (*stick).*answers[at(1) % 5] = ScriptedPlatform::Answer{errorOf(at(2)), at(2) >= 0xF0};
        stick->diagnostics = frame.mid(3);
        break;
    }
    case 1:
        ScriptedPlatform::post({}, stick->peer, &Device::Delegate::didUpdateValue, characteristic,
                               std::optional(frame.mid(3)),
                               at(2) & 1 ? errorOf(at(2) >> 1) : std::nullopt);
        break;
    case 2:
        ScriptedPlatform::post({}, stick->peer, &Device::Delegate::didWriteValue, characteristic,
                               errorOf(at(2)));
        break;
    case 3:
        stick->canSend = at(1) & 1;
        stick->readyToSend();
        break;
    case 4:
        platform.drop(stick, errorOf(at(1)));
        break;
    case 5:
        platform.managerState = static_cast<BluetoothManagerState>(at(1) % 6);
        ScriptedPlatform::post({}, platform.central, &ScriptedPlatform::Delegate::didUpdateState);
        break;
    case 6:
        platform.advertise(stick, std::nullopt, -at(1));
        break;
    default:
        return at(1) * 50ms + 1ms;
    }
    return 1ms;
}

// After the input: the platform settles and the stick leaves, so that whatever still waits has
// something to end it.
void settleAndLeave(FuzzPlatform& platform, const std::shared_ptr<FuzzDevice>& stick) {
    platform.managerState = BluetoothManagerState::PoweredOn;
    ScriptedPlatform::post({}, platform.central, &ScriptedPlatform::Delegate::didUpdateState);
    stick->canSend = true;
    stick->readyToSend();
    platform.drop(stick, std::nullopt);
}

// Connects and uses the link as a transfer would: each step ends with a value or a StickError.
// Anything else escapes and stops the run; a hang fails the harness.
QCoro::Task<void> use(StickCentral& central, QUuid id) {
    const auto attempt = [](auto task) -> QCoro::Task<void> {
        try {
            co_await std::move(task);
        } catch (const StickError&) {
        }
    };
    try {
        co_await central.ready();
        const auto link = co_await central.connect(id, {});
        co_await attempt(link->maxDataFrameLength());
        for (int round = 0; round < 3; ++round) {
            co_await attempt(link->writeControl(QByteArray(5, char(round))));
            co_await attempt(link->writeData(QByteArray(200, 'x'), {}));
            co_await attempt(link->readDiagnostics());
        }
        co_await attempt(link->close());
        co_await central.awaitDisconnect(id);
    } catch (const StickError&) {
    }
}

} // namespace

// The frames are played from here rather than from a coroutine beside the link's user, so that
// the harness lets the link run between them without a timer and a resumption per frame. The
// user starts after the first frame, which may set up the stick's answers to its first steps.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TestHarness harness;
    harness.setTimeLimit(1h);
    const auto platform = std::make_shared<FuzzPlatform>();
    const auto stick = std::make_shared<FuzzDevice>();
    platform->stick = stick;
    StickCentral central(platform, harness.clock());
    std::optional<Running<void>> user;
    const auto startUser = [&] {
        if (!user)
            user = harness.start(use(central, stick->identifier()));
    };
    for (const QByteArray& frame : fuzzFrames(data, size)) {
        const auto pause = play(frame, *platform, stick);
        startUser();
        harness.advance(pause);
    }
    settleAndLeave(*platform, stick);
    startUser();
    harness.run(*user);
    return 0;
}
