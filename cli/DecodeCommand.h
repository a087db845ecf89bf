#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTextStream>

// `decode`: turns the hexadecimal bytes of a frame, a diagnostics record or a reply payload,
// as a log or a capture shows them, into readable text.
class DecodeCommand {
public:
    DecodeCommand(QTextStream& out, QTextStream& err);

    // arguments: what follows "decode". Returns the process exit code: 0 decoded, 1 the bytes
    // do not decode, 2 a usage error.
    int run(const QStringList& arguments);

    static QString usage();

private:
    int decodeFrame(const QByteArray& bytes);
    int decodeDiagnostics(const QByteArray& bytes);
    int decodeReply(const QString& kind, const QByteArray& bytes);
    int usageError(const QString& message);

    QTextStream& m_out;
    QTextStream& m_err;
};
