#include "SendKit/protocol/StickEvent.h"

QString StickEvent::text() const {
    struct Visitor {
        QString operator()(const Ack& ack) const {
            return QStringLiteral("ack(transferID: %1, offset: %2)")
                .arg(ack.transferID)
                .arg(ack.offset);
        }
        QString operator()(const Nack& nack) const {
            return QStringLiteral("nack(transferID: %1, expectedOffset: %2)")
                .arg(nack.transferID)
                .arg(nack.expectedOffset);
        }
        QString operator()(const TransferAborted& aborted) const {
            return QStringLiteral("transferAborted(transferID: %1, status: %2)")
                .arg(aborted.transferID)
                .arg(aborted.status.text());
        }
        QString operator()(const StateChanged& changed) const {
            return QStringLiteral("stateChanged(usbState: %1, activeVolume: %2, sdFlags: %3)")
                .arg(changed.usbState.text())
                .arg(changed.activeVolume)
                .arg(changed.sdFlags);
        }
        QString operator()(const Unknown& unknown) const {
            return QStringLiteral("unknown(code: %1)").arg(unknown.code);
        }
    };
    return std::visit(Visitor{}, value);
}
