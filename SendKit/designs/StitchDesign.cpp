#include "SendKit/designs/StitchDesign.h"

#include <algorithm>

QRect StitchDesign::extents() const {
    QRect box{QPoint(), QPoint()};
    for (const Stitch& stitch : stitches)
        box = box.united(QRect(stitch.position, stitch.position));
    return box;
}

QSize StitchDesign::size() const {
    const QRect box = extents();
    return QSize(box.right() - box.left(), box.bottom() - box.top());
}

int StitchDesign::stitchCount() const {
    return count(Stitch::Kind::normal);
}

int StitchDesign::colorChanges() const {
    return count(Stitch::Kind::colorChange);
}

int StitchDesign::jumps() const {
    return count(Stitch::Kind::jump);
}

int StitchDesign::trims() const {
    return count(Stitch::Kind::trim);
}

int StitchDesign::count(Stitch::Kind kind) const {
    return int(std::count_if(stitches.begin(), stitches.end(),
                             [kind](const Stitch& stitch) { return stitch.kind == kind; }));
}
