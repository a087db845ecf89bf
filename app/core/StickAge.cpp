#include "app/core/StickAge.h"

#include "SendKit/protocol/StickTime.h"

#include <QLocale>
#include <QTimeZone>

#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <limits>

std::optional<QString> StickAge::text(quint32 mtime, const QDateTime& now) {
    const std::optional<QDateTime> changed = StickTime::date(mtime, QTimeZone::systemTimeZone());
    if (!changed)
        return std::nullopt;
    // The largest unit that fits, counted down to whole units, as people say it.
    const qint64 seconds = now.secsTo(*changed);
    const qint64 magnitude = std::abs(seconds);
    constexpr qint64 minute = 60, hour = 60 * minute, day = 24 * hour;
    const struct {
        qint64 below;
        qint64 length;
        URelativeDateTimeUnit unit;
    } scales[] = {{minute, 1, UDAT_REL_UNIT_SECOND},
                  {hour, minute, UDAT_REL_UNIT_MINUTE},
                  {day, hour, UDAT_REL_UNIT_HOUR},
                  {7 * day, day, UDAT_REL_UNIT_DAY},
                  {30 * day, 7 * day, UDAT_REL_UNIT_WEEK},
                  {365 * day, 30 * day, UDAT_REL_UNIT_MONTH},
                  {std::numeric_limits<qint64>::max(), 365 * day, UDAT_REL_UNIT_YEAR}};
    const auto scale = std::find_if(std::begin(scales), std::end(scales),
                                    [magnitude](const auto& s) { return magnitude < s.below; });
    const qint64 count = magnitude / scale->length;

    UErrorCode status = U_ZERO_ERROR;
    const icu::RelativeDateTimeFormatter formatter(
        icu::Locale::getDefault(), nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE, status);
    icu::UnicodeString text;
    formatter.format(double(seconds < 0 ? -count : count), scale->unit, text, status);
    if (U_FAILURE(status))
        return QLocale().toString(*changed, QLocale::ShortFormat);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}
