#include "SendKit/designs/DesignReadError.h"

DesignReadError::DesignReadError(Kind kind, const QString& fileName, const QString& message,
                                 const QString& format, qsizetype length)
    : std::runtime_error(message.toStdString())
    , m_kind(kind)
    , m_fileName(fileName)
    , m_message(message)
    , m_format(format)
    , m_length(length) {}

namespace {

QString notASentence(const QString& fileName, const QString& format, const QString& reason) {
    // Formats are spoken letter by letter: "an EXP design", "a DST design".
    const bool vowelSound = !format.isEmpty() && QStringLiteral("AEFHILMNORSX").contains(format[0]);
    return QStringLiteral("%1 is not %2 %3 design: %4")
        .arg(fileName, vowelSound ? QStringLiteral("an") : QStringLiteral("a"), format, reason);
}

// The reason of a file cut short: "it ends after 212 bytes".
QString endsAfter(qsizetype length) {
    return length == 1 ? QStringLiteral("it ends after 1 byte")
                       : QStringLiteral("it ends after %1 bytes").arg(length);
}

} // namespace

DesignReadError DesignReadError::notA(const QString& fileName, const QString& format,
                                      const QString& reason) {
    return DesignReadError(Kind::notThatFormat, fileName, notASentence(fileName, format, reason),
                           format);
}

DesignReadError DesignReadError::cutShort(const QString& fileName, const QString& format,
                                          qsizetype length) {
    return DesignReadError(Kind::cutShort, fileName,
                           notASentence(fileName, format, endsAfter(length)), format, length);
}

QString DesignReadError::message() const {
    return m_message;
}
