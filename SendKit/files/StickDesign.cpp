#include "SendKit/files/StickDesign.h"

#include <algorithm>

QStringList StickDesign::fileNames() const {
    QStringList names;
    for (const StickFileEntry& entry : files())
        names.append(entry.name());
    return names;
}

quint64 StickDesign::totalSize() const {
    quint64 total = 0;
    for (const StickFileEntry& entry : files())
        total += entry.size();
    return total;
}

quint32 StickDesign::newest() const {
    quint32 latest = 0;
    for (const StickFileEntry& entry : files())
        latest = std::max(latest, entry.mtime());
    return latest;
}
