#pragma once

#include "SendKit/designs/StitchDesign.h"

#include <QByteArray>

// Pfaff / Husqvarna Viking VP3: big-endian sections, each a 3-byte tag and the length of the rest.
// "%vsm%" and a zero byte, the producer (a 2-byte length and UTF-16 text), the file section
// (00 02 00: settings text, extents, counts), the design section (00 03 00: its centre in µm,
// y upwards, hoop figures, texts), the number of colour blocks, then each colour block
// (00 05 00): its start in µm from the centre, its thread (colours of 3 bytes RGB, type, weight,
// three texts), its shift, the stitch section header (00 01 00, length, 0A F6 00) and moves of two
// signed bytes in 0.1 mm, y downwards, to the block's end. 80 01 starts a long move of two 16-bit
// values closed by 80 02; 80 03 trims. A jump is the move to a block's start, or a long move
// after a trim; a colour change is the step from one block to the next.
struct PfaffVp3Reader {
    // fileName only names the file in errors. Throws DesignReadError.
    static StitchDesign read(const QString& fileName, const QByteArray& bytes);
};
