#pragma once

#include "cli/ExitCode.h"

#include <QByteArray>
#include <QStringList>
#include <QTextStream>

// `decode`: turns the hexadecimal bytes of a frame, a diagnostics record or a reply payload,
// as a log or a capture shows them, into readable text.
class DecodeCommand {
public:
    DecodeCommand(QTextStream& out, QTextStream& err);

    // arguments: what follows "decode". Fails when the bytes do not decode.
    ExitCode run(const QStringList& arguments);

    static QString usage();

private:
    ExitCode decodeFrame(const QByteArray& bytes);
    ExitCode decodeDiagnostics(const QByteArray& bytes);
    ExitCode decodeReply(const QString& kind, const QByteArray& bytes);
    ExitCode usageError(const QString& message);

    QTextStream& m_out;
    QTextStream& m_err;
};
