#pragma once

#include "SendKit/files/StickDesign.h"

#include <QList>

// Turns the stick's flat file listing into designs, most recently changed first. Pure: the same
// listing always gives the same designs, and no entry is ever dropped.
class StickDesigns {
public:
    static QList<StickDesign> group(const QList<StickFileEntry>& entries);
};
