#pragma once

#include <QString>

#include <stdexcept>

// A file that cannot be read as a design; the message is one sentence for the person, naming the
// file and what is wrong with it.
class DesignReadError : public std::runtime_error {
public:
    explicit DesignReadError(const QString& message);

    // "star.pes is not a PES design: it ends after 212 bytes"
    static DesignReadError notA(const QString& fileName, const QString& format,
                                const QString& reason);
    // "star.pes is not a PES design: it ends after 212 bytes", for a file of that length.
    static DesignReadError cutShort(const QString& fileName, const QString& format,
                                    qsizetype length);
    // The reason of a file cut short: "it ends after 212 bytes".
    static QString endsAfter(qsizetype length);

    QString message() const;

private:
    QString m_message;
};
