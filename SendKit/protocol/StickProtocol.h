#pragma once

#include <QUuid>
#include <QtGlobal>

// The stick's GATT layout and the fixed numbers of its protocol.
struct StickProtocol {
    static constexpr QUuid serviceUUID{0xAEBC0001, 0x4EB8, 0x4B90, 0xB6, 0x61, 0xC8,
                                       0x9E,       0x1F,   0x7E,   0x4F, 0xB2};
    // The host writes request frames here.
    static constexpr QUuid controlUUID{0xAEBC0002, 0x4EB8, 0x4B90, 0xB6, 0x61, 0xC8,
                                       0x9E,       0x1F,   0x7E,   0x4F, 0xB2};
    // The stick notifies response and event frames here.
    static constexpr QUuid replyUUID{0xAEBC0003, 0x4EB8, 0x4B90, 0xB6, 0x61, 0xC8,
                                     0x9E,       0x1F,   0x7E,   0x4F, 0xB2};
    // The host writes data chunk frames here.
    static constexpr QUuid dataUUID{0xAEBC0004, 0x4EB8, 0x4B90, 0xB6, 0x61, 0xC8,
                                    0x9E,       0x1F,   0x7E,   0x4F, 0xB2};
    // The diagnostics record; firmware before 1.0.1 lacks it.
    static constexpr QUuid diagnosticsUUID{0xAEBC0005, 0x4EB8, 0x4B90, 0xB6, 0x61, 0xC8,
                                           0x9E,       0x1F,   0x7E,   0x4F, 0xB2};

    static constexpr quint8 protocolMajor = 1;
    static constexpr quint8 protocolMinor = 0;
    static constexpr int minimumMTU = 185;
    // transferID u8 + offset u32 in front of every data chunk.
    static constexpr int chunkHeader = 5;
    // File bytes in one data chunk frame, whatever the link allows.
    static constexpr int maxChunkCap = 507;
};
