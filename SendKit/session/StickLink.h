#pragma once

#include "SendKit/async/AsyncQueue.h"

#include <QByteArray>
#include <QCoro/QCoroTask>

#include <stop_token>

// What a session needs of a link to one stick: the stream of frames from the stick and the two
// ways of writing to it. Implemented by the Bluetooth link and the loopback link.
class StickLink {
public:
    virtual ~StickLink() = default;

    // One complete frame from the stick per element, in arrival order; ends when the link is
    // gone and never restarts.
    virtual AsyncQueue<QByteArray> replies() = 0;
    // The largest data chunk frame, in bytes, the link takes in one write right now. Never fails.
    virtual QCoro::Task<int> maxDataFrameLength() = 0;
    // Delivers one request frame; throws StickError (anything else counts as a lost link).
    virtual QCoro::Task<void> writeControl(QByteArray frame) = 0;
    // Hands one data chunk frame to the link and returns once it is taken, so that the caller is
    // paced by the link; throws like writeControl.
    virtual QCoro::Task<void> writeData(QByteArray frame, std::stop_token stop) = 0;
    // Ends the link, after which replies() ends; a second call does nothing. Never fails.
    virtual QCoro::Task<void> close() = 0;
};
