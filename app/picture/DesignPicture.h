#pragma once

#include <QImage>

struct StitchDesign;

// A design drawn as its needle runs: to scale and centred on white, each colour block in the
// thread colour the file names (stand-in colours when it names none), jumps and trims not drawn.
struct DesignPicture {
    static QImage draw(const StitchDesign& design, QSize size);
};
