#pragma once

#include <QtGlobal>

#include <chrono>
#include <span>

// The simulated radio's link model, all in one place: how fast a connection carries writes from
// the computer to the stick, how late the stick's answers come back, and how long connecting takes.
//
// Time on the air is counted per link-layer packet exchange: the computer's packet (preamble,
// access address 4, header 2, payload, MIC 4 on the encrypted link, CRC 3 bytes, at 1 or 2 bits
// per microsecond), 150 us of inter-frame space, the stick's empty answer, and another 150 us
// before the next exchange. A connection event sends exchanges back to back until the next one
// would not end within the connection interval or the packet limit is reached; the event then
// waits for the next anchor point. One ATT write of n value bytes is an L2CAP frame of n + 7 bytes
// (4 L2CAP header, 1 opcode, 2 handle) cut into packets of at most `dataLength` bytes; a packet
// that does not fit finishes in the next event.
//
// capacity() is what a queue kept full of largest writes (attMtu - 3 value bytes) carries per
// second, over the repeating pattern of events. With the defaults (2M, 15 ms, MTU 517, 251-byte
// packets) an event carries four or five writes of 514 bytes, nine per two events: 154.2 kB/s.
// The stick's notifications ride in its answers to the computer's packets and cost no time.
struct RadioModel {
    enum class Phy {
        LE1M,
        LE2M,
    };

    Phy phy = Phy::LE2M;
    std::chrono::microseconds connectionInterval{15'000};
    // The ATT MTU the computer offers; a connection uses the smaller of this and the stick's own.
    int attMtu = 517;
    // Link-layer payload bytes per packet (27 without data length extension, up to 251).
    int dataLength = 251;
    // The most packets the controllers exchange in one connection event.
    int packetsPerEvent = 20;
    // Writes without response the computer's outgoing queue holds before it reports no room. The
    // queue is refilled between events, so it must hold one event's writes to reach capacity();
    // every write queued beyond that is sent in vain after a chunk the stick dropped.
    int writeQueueDepth = 8;
    // Connection events between a write reaching the stick and the stick's answer (a
    // notification, a write response, a read value) reaching the computer.
    int answerEvents = 1;
    // The share of data chunks the stick drops because its own queue overflowed, drawn from a
    // generator seeded with `seed` (which also varies the signal strength between sightings).
    double dropRate = 0;
    quint32 seed = 1;

    // Setting up a connection: until the stick answers the connection request, until its GATT
    // services are resolved, and the pairing exchange once the passkey is in.
    std::chrono::milliseconds connectTime{120};
    std::chrono::milliseconds serviceResolutionTime{300};
    std::chrono::milliseconds pairingTime{400};
    // How long the computer takes to notice a link that went silent.
    std::chrono::milliseconds supervisionTimeout{2'000};
    // The first sighting of an advertising stick, and then a new sighting (with a new signal
    // strength) this often while a scan runs.
    std::chrono::milliseconds firstSighting{100};
    std::chrono::milliseconds sightingInterval{1'000};

    // No time passes on the link at all: every write is taken and every answer delivered as soon
    // as the event loop gets to it, and set-up takes no time. Sightings keep their pace. For tests
    // that are about the stack, not the radio.
    bool instant = false;

    // ATT value bytes per second with the queue kept full of largest writes; infinite when instant.
    double capacity() const;

    // One connection event: sends packets of the writes waiting in order (the bytes each still has
    // to put on the air, updated in place) and returns how many writes from the front went out
    // whole. The front write may be left part-sent for the next event.
    std::size_t sendEvent(std::span<int> unsentBytes) const;

    // The bytes one write of that many value bytes puts on the air.
    static int airBytes(int valueBytes);
    // The largest value one write carries on a connection with that MTU.
    static int maxWriteValue(int attMtu) { return attMtu - 3; }

    // The time from a request going out to its answer coming back.
    std::chrono::microseconds answerDelay() const;
};
