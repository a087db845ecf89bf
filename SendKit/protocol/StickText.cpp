#include "SendKit/protocol/StickText.h"

#include <QTextBoundaryFinder>

namespace {

bool isRetained(char32_t scalar) {
    if (scalar < 0x20 || scalar == 0x7F)
        return false;
    if (scalar < 0x80)
        return true;
    if (scalar < 0xA0)
        return false;
    // Bidirectional marks, embeddings, overrides and isolates could make a name read
    // differently from what it is.
    const bool isBidiControl = scalar == 0x200E || scalar == 0x200F ||
                               (scalar >= 0x202A && scalar <= 0x202E) ||
                               (scalar >= 0x2066 && scalar <= 0x2069);
    return !isBidiControl;
}

} // namespace

int StickText::characterCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString StickText::clean(const QString& text, int limit) {
    QString result;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype start = i;
        const QChar unit = text[i++];
        char32_t scalar = unit.unicode();
        if (unit.isHighSurrogate() && i < text.size() && text[i].isLowSurrogate())
            scalar = QChar::surrogateToUcs4(unit, text[i++]);
        if (!isRetained(scalar))
            continue;
        const qsizetype before = result.size();
        result.append(QStringView(text).sliced(start, i - start));
        // Each character holds at least one unit, so below the limit in units there is
        // nothing to count. A scalar that would open one character too many is taken back,
        // so the last character kept keeps its combining marks.
        if (result.size() > limit && characterCount(result) > limit) {
            result.truncate(before);
            break;
        }
    }
    return result;
}
