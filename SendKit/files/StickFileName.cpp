#include "SendKit/files/StickFileName.h"

#include <QTextBoundaryFinder>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>
#include <mutex>

namespace {

bool isAllowedWithoutSpace(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'_' || c == u'.' || c == u'(' || c == u')';
}

bool isTrimmed(QChar c) {
    return c == u' ' || c == u'.';
}

QString trimmedOfSpacesAndStops(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// German letters get their conventional two-letter spellings rather than the bare vowel the
// generic transform would leave. Compared per user-perceived character in composed form, so a
// decomposed umlaut matches as well.
QString replaceGermanLetters(const QString& text) {
    static const std::pair<QString, QString> table[] = {
        {u"ä"_qs, u"ae"_qs}, {u"ö"_qs, u"oe"_qs}, {u"ü"_qs, u"ue"_qs}, {u"ß"_qs, u"ss"_qs},
        {u"Ä"_qs, u"Ae"_qs}, {u"Ö"_qs, u"Oe"_qs}, {u"Ü"_qs, u"Ue"_qs},
    };
    QString result;
    result.reserve(text.size());
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        const QString cluster = text.sliced(start, end - start);
        const QString composed = cluster.normalized(QString::NormalizationForm_C);
        const auto match = std::find_if(std::begin(table), std::end(table),
                                        [&](const auto& row) { return row.first == composed; });
        result += match != std::end(table) ? match->second : cluster;
        start = end;
    }
    return result;
}

// Creating the transliterator parses its rules and takes milliseconds, so one instance is kept
// for the process; ICU transliterators are not safe to share between threads, hence the lock.
QString toASCIILatin(const QString& text) {
    static std::mutex mutex;
    static std::unique_ptr<icu::Transliterator> transliterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> created(icu::Transliterator::createInstance(
            icu::UnicodeString(u"Any-Latin; Latin-ASCII"), UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    // Without ICU's transform data the name still comes out safe: the character filter that
    // follows turns whatever is left outside ASCII into spaces.
    if (!transliterator)
        return text;
    icu::UnicodeString buffer(reinterpret_cast<const UChar*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
    {
        std::lock_guard lock(mutex);
        transliterator->transliterate(buffer);
    }
    return QString(reinterpret_cast<const QChar*>(buffer.getBuffer()), buffer.length());
}

// Keeps the characters the stick accepts and turns every run of anything else into one space.
QString collapseDisallowed(const QString& text) {
    QString result;
    result.reserve(text.size());
    bool inRun = false;
    for (const QChar c : text) {
        if (isAllowedWithoutSpace(c.unicode())) {
            result += c;
            inRun = false;
        } else if (!inRun) {
            result += u' ';
            inRun = true;
        }
    }
    return result;
}

} // namespace

const QStringList& StickFileName::stitchExtensions() {
    static const QStringList list{u"dst"_qs, u"exp"_qs, u"pes"_qs, u"pec"_qs, u"jef"_qs, u"sew"_qs,
                                  u"vp3"_qs, u"vip"_qs, u"hus"_qs, u"xxx"_qs, u"tap"_qs};
    return list;
}

const QStringList& StickFileName::companionExtensions() {
    static const QStringList list{u"inf"_qs, u"col"_qs, u"edr"_qs, u"rgb"_qs, u"png"_qs, u"bmp"_qs};
    return list;
}

std::optional<StickFileName::Problem> StickFileName::problem(const QString& name) {
    const QByteArray bytes = name.toUtf8();
    if (bytes.isEmpty() || bytes.size() > maxLength)
        return Problem::badName;
    for (const char byte : bytes) {
        if (byte != ' ' && !isAllowedWithoutSpace(static_cast<unsigned char>(byte)))
            return Problem::badName;
    }
    if (isTrimmed(name.front()) || isTrimmed(name.back()) || name.contains(u".."))
        return Problem::badName;
    if (!name.contains(u'.'))
        return Problem::badExtension;
    const QString ext = extension(name);
    if (stitchExtensions().contains(ext) || companionExtensions().contains(ext))
        return std::nullopt;
    return Problem::badExtension;
}

bool StickFileName::isCompanion(const QString& name) {
    return companionExtensions().contains(extension(name));
}

QString StickFileName::sanitized(const QString& baseName, const QString& extension) {
    const QString replaced = replaceGermanLetters(baseName);
    QString latin = toASCIILatin(replaced);
    if (latin.isEmpty())
        latin = replaced;

    QString base = collapseDisallowed(latin);
    while (base.contains(u".."))
        base.replace(u".."_qs, u"."_qs);
    base = trimmedOfSpacesAndStops(base);

    const QString ext = extension.toLower();
    const qsizetype budget = std::max<qsizetype>(0, maxLength - 1 - ext.toUtf8().size());
    if (base.size() > budget)
        base = trimmedOfSpacesAndStops(base.first(budget));
    if (base.isEmpty())
        base = u"Design"_qs;
    return base + u'.' + ext;
}

QString StickFileName::extension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.sliced(dot + 1).toLower();
}

QString StickFileName::baseName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.first(dot);
}
