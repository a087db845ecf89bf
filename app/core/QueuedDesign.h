#pragma once

#include "app/picture/DesignPreview.h"

#include <QMetaType>
#include <QString>

#include <optional>

// One file of the queue, or of the batch just sent, as the cards show it: its name on the stick,
// its preview once read (none for files without one), and what to know before sending it.
struct QueuedDesign {
    QString name;
    std::optional<DesignPreview> preview;
    // "212 × 148 mm · 12,345 stitches · 3 colours"; empty without a readable design.
    QString figures;
    // Why the file may not work on the machine; empty when nothing speaks against it.
    QString warning;

    bool operator==(const QueuedDesign& other) const {
        return name == other.name && figures == other.figures && warning == other.warning &&
               preview.has_value() == other.preview.has_value() &&
               (!preview || preview->picture.cacheKey() == other.preview->picture.cacheKey());
    }
};

Q_DECLARE_METATYPE(QueuedDesign)
