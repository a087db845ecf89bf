#include "SendKit/designs/DesignReadError.h"

DesignReadError::DesignReadError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_message(message) {}

DesignReadError DesignReadError::notA(const QString& fileName, const QString& format,
                                      const QString& reason) {
    // Formats are spoken letter by letter: "an EXP design", "a DST design".
    const bool vowelSound = !format.isEmpty() && QStringLiteral("AEFHILMNORSX").contains(format[0]);
    return DesignReadError(QStringLiteral("%1 is not %2 %3 design: %4")
                               .arg(fileName,
                                    vowelSound ? QStringLiteral("an") : QStringLiteral("a"), format,
                                    reason));
}

DesignReadError DesignReadError::cutShort(const QString& fileName, const QString& format,
                                          qsizetype length) {
    return notA(fileName, format, endsAfter(length));
}

QString DesignReadError::endsAfter(qsizetype length) {
    return length == 1 ? QStringLiteral("it ends after 1 byte")
                       : QStringLiteral("it ends after %1 bytes").arg(length);
}

QString DesignReadError::message() const {
    return m_message;
}
