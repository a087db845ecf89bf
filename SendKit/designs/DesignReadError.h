#pragma once

#include <QString>

#include <stdexcept>

// A file that cannot be read as a design; the message is one sentence for the person, naming the
// file and what is wrong with it. The kind and its figures let a window say it in its own words.
class DesignReadError : public std::runtime_error {
public:
    enum class Kind {
        notThatFormat, // the bytes are not the format the extension promises
        cutShort,      // the file ends before the format says it does
        noReader,      // no reader for the extension (yet)
        unopened,      // the file could not be opened
    };

    DesignReadError(Kind kind, const QString& fileName, const QString& message,
                    const QString& format = {}, qsizetype length = 0);

    // "star.pes is not a PES design: it does not begin with #PES"
    static DesignReadError notA(const QString& fileName, const QString& format,
                                const QString& reason);
    // "star.pes is not a PES design: it ends after 212 bytes", for a file of that length.
    static DesignReadError cutShort(const QString& fileName, const QString& format,
                                    qsizetype length);

    QString message() const;
    Kind kind() const { return m_kind; }
    QString fileName() const { return m_fileName; }
    // "PES", for the kinds about a format.
    QString format() const { return m_format; }
    // The file's length in bytes, for a file cut short.
    qsizetype length() const { return m_length; }

private:
    Kind m_kind;
    QString m_fileName;
    QString m_message;
    QString m_format;
    qsizetype m_length;
};
