#include "app/ui/FirmwareVersion.h"

#include <algorithm>

QList<qulonglong> FirmwareVersion::numbers(const QString& version) {
    QList<qulonglong> runs;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= version.size(); ++i) {
        const bool digit = i < version.size() && version[i] >= u'0' && version[i] <= u'9';
        if (digit && start < 0)
            start = i;
        if (!digit && start >= 0) {
            bool ok = false;
            const qulonglong value = version.mid(start, i - start).toULongLong(&ok, 10);
            if (ok)
                runs << value;
            start = -1;
        }
    }
    return runs;
}

bool FirmwareVersion::isOlder(const QString& version, const QString& than) {
    const QList<qulonglong> mine = numbers(version);
    if (mine.isEmpty())
        return false;
    const QList<qulonglong> theirs = numbers(than);
    for (qsizetype i = 0; i < std::max(mine.size(), theirs.size()); ++i) {
        const qulonglong a = mine.value(i, 0);
        const qulonglong b = theirs.value(i, 0);
        if (a != b)
            return a < b;
    }
    return false;
}

bool FirmwareVersion::isOutdated(const QString& version) {
    return isOlder(version, recommended());
}
