#pragma once

#include "SendKit/loopback/LoopbackLink.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickRequest.h"

#include <QList>

#include <functional>
#include <map>
#include <memory>
#include <set>

// What the tap of every link to one simulated stick sees and does: it records the requests, and
// plays the misbehaviour the simulated stick does not offer itself — answers that say something
// else, and requests that get lost.
struct LinkTap {
    // Every request written on any tapped link, in order, with the link's number (0 for the first
    // link opened).
    struct Request {
        int link = 0;
        StickRequest::Frame frame;
    };
    QList<Request> requests;

    // The stick's responses to these requests pass through the function before the session sees
    // them.
    std::map<StickOpcode, std::function<void(StickFrame::Response&)>> rewrite;
    // These requests never reach the stick.
    std::set<StickOpcode> lost;

    int linksOpened = 0;

    // The opcodes of the requests, in order.
    QList<StickOpcode> opcodes() const;
    int count(StickOpcode opcode) const;
};

// A LoopbackLink under a LinkTap.
class TappedLink : public StickLink {
public:
    TappedLink(std::unique_ptr<LoopbackLink> inner, std::shared_ptr<LinkTap> tap);

    AsyncQueue<QByteArray> replies() override { return m_replies; }
    QCoro::Task<int> maxDataFrameLength() override;
    QCoro::Task<void> writeControl(QByteArray frame) override;
    QCoro::Task<void> writeData(QByteArray frame, std::stop_token stop) override;
    QCoro::Task<void> close() override;

private:
    static QCoro::Task<void> forward(AsyncQueue<QByteArray> from, AsyncQueue<QByteArray> to,
                                     std::shared_ptr<LinkTap> tap);

    std::unique_ptr<LoopbackLink> m_inner;
    std::shared_ptr<LinkTap> m_tap;
    int m_number = 0;
    AsyncQueue<QByteArray> m_replies;
};
