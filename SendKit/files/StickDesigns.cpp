#include "SendKit/files/StickDesigns.h"

#include "SendKit/files/StickFileName.h"

#include <QHash>

#include <algorithm>

QList<StickDesign> StickDesigns::group(const QList<StickFileEntry>& entries) {
    QList<StickDesign> designs;
    QHash<QString, qsizetype> indexByKey;
    for (const StickFileEntry& entry : entries) {
        const QString base = StickFileName::baseName(entry.name());
        const QString key = base.toLower();
        auto found = indexByKey.constFind(key);
        if (found == indexByKey.cend()) {
            found = indexByKey.insert(key, designs.size());
            designs.append(StickDesign{base, {}, {}});
        }
        StickDesign& design = designs[*found];
        if (StickFileName::isCompanion(entry.name()))
            design.companions.append(entry);
        else
            design.stitchFiles.append(entry);
    }

    // The machine shows stitch files, so their spelling names the design rather than that of
    // whichever companion happened to be listed first.
    for (StickDesign& design : designs) {
        if (!design.stitchFiles.isEmpty())
            design.name = StickFileName::baseName(design.stitchFiles.first().name());
    }

    std::stable_sort(
        designs.begin(), designs.end(),
        [](const StickDesign& a, const StickDesign& b) { return a.newest() > b.newest(); });
    return designs;
}
