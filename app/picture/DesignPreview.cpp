#include "app/picture/DesignPreview.h"

#include "SendKit/designs/DesignReader.h"
#include "app/picture/DesignPicture.h"

#include <QFileInfo>

namespace {

int sewnColorBlocks(const StitchDesign& design) {
    int blocks = 0;
    bool sewn = false;
    for (const StitchDesign::Stitch& stitch : design.stitches) {
        if (stitch.kind == StitchDesign::Stitch::Kind::colorChange && sewn) {
            ++blocks;
            sewn = false;
        }
        sewn = sewn || stitch.kind == StitchDesign::Stitch::Kind::normal;
    }
    return blocks + (sewn ? 1 : 0);
}

} // namespace

std::optional<DesignPreview> DesignPreview::read(const QString& path) {
    if (QFileInfo(path).size() > sizeLimit)
        return std::nullopt;
    try {
        const StitchDesign design = DesignReader::readFile(path);
        DesignPreview preview;
        preview.picture = DesignPicture::draw(design, QSize(pictureSide, pictureSide));
        preview.size = design.size();
        preview.stitches = design.stitchCount();
        preview.colors = sewnColorBlocks(design);
        return preview;
    } catch (const DesignReadError& error) {
        if (error.kind() == DesignReadError::Kind::noReader ||
            error.kind() == DesignReadError::Kind::unopened)
            return std::nullopt;
        DesignPreview preview;
        preview.problem = error;
        return preview;
    }
}
