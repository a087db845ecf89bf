#include "SendKit/bluetooth/simulated/RadioModel.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace {

using std::chrono::microseconds;

constexpr microseconds interFrameSpace{150};
// Access address, header and CRC of every packet; MIC of every packet with a payload.
constexpr int packetFraming = 4 + 2 + 3;
constexpr int mic = 4;
// L2CAP header, ATT opcode and attribute handle in front of every written value.
constexpr int writeOverhead = 4 + 1 + 2;

microseconds airtime(RadioModel::Phy phy, int payload) {
    const bool twoM = phy == RadioModel::Phy::LE2M;
    const int preamble = twoM ? 2 : 1;
    const int bytes = preamble + packetFraming + payload + (payload > 0 ? mic : 0);
    return microseconds(twoM ? bytes * 8 / 2 : bytes * 8);
}

} // namespace

int RadioModel::airBytes(int valueBytes) {
    return valueBytes + writeOverhead;
}

std::chrono::microseconds RadioModel::answerDelay() const {
    return instant ? microseconds::zero() : connectionInterval * answerEvents;
}

std::size_t RadioModel::sendEvent(std::span<int> unsentBytes) const {
    std::size_t completed = 0;
    if (instant) {
        std::fill(unsentBytes.begin(), unsentBytes.end(), 0);
        return unsentBytes.size();
    }
    microseconds used{0};
    int packets = 0;
    const microseconds answer = airtime(phy, 0);
    while (completed < unsentBytes.size() && packets < packetsPerEvent) {
        int& unsent = unsentBytes[completed];
        const int payload = std::min(unsent, dataLength);
        const microseconds exchange = airtime(phy, payload) + interFrameSpace + answer;
        // The last exchange of an event need not leave room for a following packet.
        if (used + exchange > connectionInterval)
            break;
        used += exchange + interFrameSpace;
        ++packets;
        unsent -= payload;
        if (unsent == 0)
            ++completed;
    }
    return completed;
}

double RadioModel::capacity() const {
    if (instant)
        return std::numeric_limits<double>::infinity();
    // Feed events from a queue that never runs dry, until an event starts with the front write
    // as far along as an earlier one did: from there on the pattern repeats.
    const int fullWrite = airBytes(maxWriteValue(attMtu));
    const int queued = packetsPerEvent + 1; // more writes than one event can take
    std::vector<int> unsent(std::size_t(queued), fullWrite);
    std::map<int, std::pair<int, qint64>> seen; // front's unsent bytes -> (event, writes so far)
    qint64 writes = 0;
    for (int event = 0;; ++event) {
        const auto [earlier, isNew] = seen.try_emplace(unsent.front(), event, writes);
        if (!isNew) {
            const auto [firstEvent, firstWrites] = earlier->second;
            const double seconds =
                std::chrono::duration<double>(connectionInterval).count() * (event - firstEvent);
            return double(writes - firstWrites) * maxWriteValue(attMtu) / seconds;
        }
        const std::size_t done = sendEvent(unsent);
        if (done == 0 && unsent.front() == fullWrite)
            return 0; // not even one packet fits an event
        writes += qint64(done);
        unsent.erase(unsent.begin(), unsent.begin() + qsizetype(done));
        unsent.resize(std::size_t(queued), fullWrite);
    }
}
