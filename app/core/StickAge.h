#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

// How long ago a file on the stick changed, as people say it in the current locale
// ("2 minutes ago", "yesterday", "in 3 hours" for a stick whose clock runs ahead), counted in the
// largest unit that fits.
class StickAge {
public:
    StickAge() = delete;

    // The age of the stick's time stamp (local wall-clock seconds) relative to now; none for a
    // file without a time stamp.
    static std::optional<QString> text(quint32 mtime, const QDateTime& now);
};
