#include "app/core/HoopSize.h"

#include <QRegularExpression>

bool HoopSize::fits(QSize design) const {
    const int across = width * 10;
    const int down = height * 10;
    return (design.width() <= across && design.height() <= down) ||
           (design.width() <= down && design.height() <= across);
}

QString HoopSize::text() const {
    return QStringLiteral("%1 × %2").arg(width).arg(height);
}

QString HoopSize::key() const {
    return QStringLiteral("%1x%2").arg(width).arg(height);
}

std::optional<HoopSize> HoopSize::parse(const QString& key) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,4})x([0-9]{1,4})$"));
    const QRegularExpressionMatch match = pattern.match(key);
    if (!match.hasMatch())
        return std::nullopt;
    const HoopSize hoop{match.captured(1).toInt(), match.captured(2).toInt()};
    if (hoop.width == 0 || hoop.height == 0)
        return std::nullopt;
    return hoop;
}

QList<HoopSize> HoopSize::common() {
    // 4 × 4 in, 5 × 7 in, 6 × 10 in, 8 × 8 in, 8 × 12 in, and the large hoops of multi-needle and
    // quilting machines.
    return {{100, 100}, {130, 180}, {150, 240}, {160, 260}, {200, 200},
            {200, 300}, {240, 360}, {300, 300}, {360, 360}};
}
