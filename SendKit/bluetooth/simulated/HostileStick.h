#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What a hostile stick does to the computer besides answering: the name it advertises and the
// notifications it sends on Reply around its own frames. The simulated radio and the tests' fake
// bluetoothd both play it, so the program meets the same hostility over either platform. It keeps
// what one connection has done so far (flooded once, fallen silent).
class HostileStick {
public:
    enum class Hostility {
        None,
        // With its first acknowledgement of a transfer the stick notifies floodFrames frames at
        // once: junk, events of an unknown kind, replies to requests never sent, acknowledgements
        // of another transfer, and the acknowledgement itself over and over.
        Flood,
        // Each frame comes after a copy of itself padded beyond what any notification carries.
        OversizedFrames,
        // Each frame comes after notifications of none, one and two of its bytes.
        UndersizedFrames,
        // Each reply comes after replies with its sequence number and another opcode and with an
        // old sequence number, and is followed by itself again; each acknowledgement comes after
        // events of another transfer.
        StrayReplies,
        // Once a data chunk has reached it, the stick sends nothing more, although its
        // connection still takes the computer's writes.
        FallsSilent,
    };

    static constexpr int floodFrames = 5'000;
    // The longest value a notification can carry.
    static constexpr int longestValue = 512;

    // 248 bytes of UTF-8, the most a device name may have: a name that reverses the text after
    // it, with tabs, line breaks and terminal escapes on the way.
    static QString name();

    explicit HostileStick(Hostility hostility = Hostility::None)
        : m_hostility(hostility) {}

    Hostility hostility() const { return m_hostility; }

    // A data chunk reached the stick.
    void chunkReceived();
    // The notifications the stick sends for one frame of its own, in order, the frame last; none
    // once it has fallen silent.
    QList<QByteArray> notifications(const QByteArray& frame);

private:
    QList<QByteArray> flood(quint8 transferID) const;

    Hostility m_hostility;
    bool m_flooded = false;
    bool m_silent = false;
};
