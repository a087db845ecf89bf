#pragma once

#include "SendKit/protocol/StickUSBState.h"
#include "SendKit/protocol/StickVolume.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// What GET_INFO tells about the stick; texts are cleaned when decoded.
struct StickInfo {
    quint8 protocolMajor = 0;
    quint8 protocolMinor = 0;
    // Stored and passed on; the host tests none.
    quint32 capabilities = 0;
    QString firmwareVersion;
    QString deviceName;
    int maxChunk = 0;
    quint32 maxFileSize = 0;
    // The stick's receive window in bytes; the BEGIN reply's window governs a transfer.
    qint64 window = 0;
    StickUSBState usbState;
    quint8 activeVolume = 0;
    QList<StickVolume> volumes;

    // The first volume marked active, if any.
    std::optional<StickVolume> active() const;
    bool hasUnsupportedCard() const;

    bool operator==(const StickInfo&) const = default;
};
