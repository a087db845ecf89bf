#pragma once

#include "app/core/DotState.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

// Brindle Stick's own artwork, drawn in code so that it needs no image plug-in: the stick with
// its USB plug (the same drawing as the installed icon), the tray icon that carries the
// connection's coloured dot at its top right, and the window's few symbols.
class Artwork {
public:
    // The stick glyph filling the height of the rectangle, centred, in one colour.
    static void paintGlyph(QPainter& painter, const QRectF& rect, const QColor& color);
    // The glyph alone, for buttons and rows.
    static QPixmap glyph(int size, const QColor& color, qreal devicePixelRatio = 1);
    // The application icon: the glyph on the rounded accent tile.
    static QIcon application();
    // The tray icon: the glyph in the panel's text colour with the dot of the state, ringed so it
    // stands out on a dark or a light panel.
    static QIcon tray(DotState state, bool darkPanel);

    static QColor dotColor(DotState state);

    // A page, filled or outlined, with a mark on it: an arrow into it for drops, three dots for a
    // design left with companion files only.
    enum class PageMark { None, Arrow, Ellipsis };
    static QPixmap page(int size, const QColor& color, bool filled, PageMark mark);
    // A filled circle with a check mark cut out of it.
    static QPixmap checkMark(int size, const QColor& color);
};
