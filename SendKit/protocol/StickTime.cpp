#include "SendKit/protocol/StickTime.h"

#include <limits>

quint32 StickTime::localSeconds(const QDateTime& date, const QTimeZone& zone) {
    const qint64 msecs = date.toMSecsSinceEpoch() + qint64(zone.offsetFromUtc(date)) * 1000;
    // Floor, not truncation toward zero: a local time just before 1970 is below 0.
    const qint64 seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    return quint32(std::clamp<qint64>(seconds, 0, std::numeric_limits<quint32>::max()));
}

std::optional<QDateTime> StickTime::date(quint32 mtime, const QTimeZone& zone) {
    if (mtime == 0)
        return std::nullopt;
    const QDateTime asUTC = QDateTime::fromSecsSinceEpoch(mtime, QTimeZone::utc());
    return asUTC.addSecs(-zone.offsetFromUtc(asUTC));
}
