#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <QtGlobal>
#include <optional>

// The protocol's file time stamp: local wall-clock seconds since 1970 as u32, 0 meaning none.
struct StickTime {
    // Floored and clamped to the u32 range.
    static quint32 localSeconds(const QDateTime& date, const QTimeZone& zone);
    // None for 0.
    static std::optional<QDateTime> date(quint32 mtime, const QTimeZone& zone);
};
