#pragma once

#include <QtGlobal>

// The thread catalogues that JEF and PEC files name their threads by: an index into the maker's
// chart, whose colours the formats' public documentation lists. Entry 0 of both charts is the
// maker's "unknown thread" (black); an index beyond a chart gives that entry too, so that a file
// still gets one colour per thread and its colours stay beside the right colour blocks.
struct ThreadPalette {
    // 0xRRGGBB of the Janome thread of a JEF thread code.
    static quint32 janome(quint32 code);
    // 0xRRGGBB of the Brother thread of a PEC colour index.
    static quint32 brother(quint32 index);
};
