#include "TappedLink.h"

#include "SendKit/async/Executor.h"

#include <algorithm>

QList<StickOpcode> LinkTap::opcodes() const {
    QList<StickOpcode> result;
    for (const Request& request : requests)
        result.append(StickOpcode(request.frame.opcode));
    return result;
}

int LinkTap::count(StickOpcode opcode) const {
    const QList<StickOpcode> all = opcodes();
    return int(std::count(all.cbegin(), all.cend(), opcode));
}

TappedLink::TappedLink(std::unique_ptr<LoopbackLink> inner, std::shared_ptr<LinkTap> tap)
    : m_inner(std::move(inner))
    , m_tap(std::move(tap))
    , m_number(m_tap->linksOpened++) {
    Executor::spawn(forward(m_inner->replies(), m_replies, m_tap));
}

QCoro::Task<void> TappedLink::forward(AsyncQueue<QByteArray> from, AsyncQueue<QByteArray> to,
                                      std::shared_ptr<LinkTap> tap) {
    while (std::optional<QByteArray> bytes = co_await from.next()) {
        StickFrame frame = StickFrame::parse(*bytes);
        if (auto* response = std::get_if<StickFrame::Response>(&frame.value)) {
            const auto rewrite = tap->rewrite.find(StickOpcode(response->opcode));
            if (rewrite != tap->rewrite.end())
                rewrite->second(*response);
        }
        to.push(frame.encoded());
    }
    to.finish();
}

QCoro::Task<int> TappedLink::maxDataFrameLength() {
    return m_inner->maxDataFrameLength();
}

QCoro::Task<void> TappedLink::writeControl(QByteArray frame) {
    const StickRequest::Frame request = StickRequest::Frame::parse(frame);
    m_tap->requests.append({m_number, request});
    if (!m_tap->lost.contains(StickOpcode(request.opcode)))
        co_await m_inner->writeControl(frame);
}

QCoro::Task<void> TappedLink::writeData(QByteArray frame, std::stop_token stop) {
    return m_inner->writeData(std::move(frame), stop);
}

QCoro::Task<void> TappedLink::close() {
    return m_inner->close();
}
