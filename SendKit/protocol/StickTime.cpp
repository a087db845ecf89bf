#include "SendKit/protocol/StickTime.h"

#include <limits>

quint32 StickTime::localSeconds(const QDateTime& date, const QTimeZone& zone) {
    const qint64 msecs = date.toMSecsSinceEpoch() + qint64(zone.offsetFromUtc(date)) * 1000;
    // Division truncates toward zero, which differs from the floor only below 0, and every
    // time before 1970 clamps to 0 anyway.
    const qint64 seconds = msecs / 1000;
    return quint32(std::clamp<qint64>(seconds, 0, std::numeric_limits<quint32>::max()));
}

std::optional<QDateTime> StickTime::date(quint32 mtime, const QTimeZone& zone) {
    if (mtime == 0)
        return std::nullopt;
    const QDateTime asUTC = QDateTime::fromSecsSinceEpoch(mtime, QTimeZone::utc());
    return asUTC.addSecs(-zone.offsetFromUtc(asUTC));
}
