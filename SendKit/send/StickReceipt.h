#pragma once

#include "SendKit/protocol/StickVolume.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// What a completed send proved: which stick took the files, what it stored under which names
// with which read-back digests, on which volume, how long it took and the time stamp every file
// was given.
struct StickReceipt {
    // One file as the stick stored it and read it back.
    struct Stored {
        QString name;
        quint32 size = 0;
        QByteArray sha256;
        bool operator==(const Stored&) const = default;
    };

    QString stickName;
    QList<Stored> files; // in sending order
    StickVolume::Kind volume;
    double seconds = 0; // monotonic, from the start of the send to the last file confirmed
    quint32 mtime = 0;  // local wall-clock seconds since 1970

    bool operator==(const StickReceipt&) const = default;
};
