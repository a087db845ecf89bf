#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <optional>

// The largest hoop of the person's machine, in millimetres. A design fits when it fits either way
// round: the machine or the person turns it by a quarter.
struct HoopSize {
    int width = 0;
    int height = 0;

    // The design's size is in 0.1 mm, as designs measure.
    bool fits(QSize design) const;

    // "130 × 180"
    QString text() const;
    // "130x180", as the settings keep it; parse() reads it back, none for anything else.
    QString key() const;
    static std::optional<HoopSize> parse(const QString& key);

    // Hoops that common home and semi-professional machines take, smallest first.
    static QList<HoopSize> common();

    bool operator==(const HoopSize&) const = default;
};
