#pragma once

#include <QString>

// Makes texts from the stick safe to show and log: no control characters, no bidirectional
// overrides, and at most a given number of user-perceived characters.
struct StickText {
    static QString clean(const QString& text, int limit);

    // The number of user-perceived characters (grapheme clusters) in text.
    static int characterCount(const QString& text);
};
