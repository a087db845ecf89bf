#include "SendKit/bluetooth/StickPeripheral.h"

#include "SendKit/protocol/StickReply.h"
#include "SendKit/protocol/StickText.h"

QString StickPeripheral::shownName(const QString& advertised) {
    return StickText::clean(advertised, StickReply::deviceNameLimit);
}
