#include "cli/DecodeCommand.h"

#include "cli/StickReport.h"

#include "SendKit/protocol/StickDiagnostics.h"
#include "SendKit/protocol/StickFrame.h"
#include "SendKit/protocol/StickOpcode.h"
#include "SendKit/protocol/StickReply.h"
#include "SendKit/protocol/StickText.h"
#include "SendKit/protocol/StickWireError.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>
#include <functional>
#include <optional>

namespace {

// Bytes as two hexadecimal digits each; blanks and colons may stand between bytes, never
// inside one.
std::optional<QByteArray> parseHex(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[\\s:]+"));
    static const QRegularExpression digitPairs(QStringLiteral("^(?:[0-9A-Fa-f]{2})*$"));
    QByteArray bytes;
    for (const QString& group : text.split(separators, Qt::SkipEmptyParts)) {
        if (!digitPairs.match(group).hasMatch())
            return std::nullopt;
        bytes += QByteArray::fromHex(group.toLatin1());
    }
    return bytes;
}

QString hexOrDash(const QByteArray& bytes) {
    return bytes.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(bytes.toHex());
}

QString shown(const QString& text) {
    return StickText::clean(text, StickFileEntry::nameLimit);
}

// The stick's time stamps are local wall-clock seconds, so reading them as UTC gives the
// wall-clock time the stick meant.
QString shownTime(quint32 mtime) {
    if (mtime == 0)
        return QStringLiteral("0 (none)");
    return QStringLiteral("%1 (%2)").arg(mtime).arg(
        QDateTime::fromSecsSinceEpoch(mtime, QTimeZone::utc())
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

QStringList beginLines(const StickReply::Begin& begin) {
    return {QStringLiteral("transferID: %1").arg(begin.transferID),
            QStringLiteral("window: %1").arg(begin.window),
            QStringLiteral("maxChunk: %1").arg(begin.maxChunk)};
}

QStringList commitLines(const StickReply::Commit& commit) {
    return {
        QStringLiteral("storedSHA256: %1").arg(QString::fromLatin1(commit.storedSHA256.toHex())),
        QStringLiteral("storedSize: %1").arg(commit.storedSize),
        QStringLiteral("volume: %1").arg(StickVolume::Kind::fromByte(commit.volume).text()),
        QStringLiteral("storedName: %1").arg(shown(commit.storedName))};
}

QStringList listLines(const StickReply::ListPage& page) {
    QStringList lines{
        QStringLiteral("totalCount: %1").arg(page.totalCount),
        QStringLiteral("nextIndex: %1")
            .arg(page.nextIndex ? QString::number(*page.nextIndex) : QStringLiteral("none")),
        QStringLiteral("entries: %1").arg(page.entries.size()),
    };
    for (const StickFileEntry& entry : page.entries)
        lines << QStringLiteral("  name: %1, size: %2, mtime: %3")
                     .arg(entry.name())
                     .arg(entry.size())
                     .arg(shownTime(entry.mtime()));
    return lines;
}

QStringList lastResultLines(const StickReply::LastResult& result) {
    return {
        QStringLiteral("status: %1")
            .arg(result.status ? result.status->text() : QStringLiteral("none")),
        QStringLiteral("storedSHA256: %1").arg(QString::fromLatin1(result.storedSHA256.toHex())),
        QStringLiteral("storedName: %1").arg(shown(result.storedName))};
}

} // namespace

DecodeCommand::DecodeCommand(QTextStream& out, QTextStream& err)
    : m_out(out)
    , m_err(err) {}

QString DecodeCommand::usage() {
    return QStringLiteral("decode frame HEX\n"
                          "decode diagnostics HEX\n"
                          "decode reply info|begin|commit|list|last-result HEX");
}

ExitCode DecodeCommand::run(const QStringList& arguments) {
    if (arguments.isEmpty())
        return usageError(QStringLiteral("decode needs a kind: frame, diagnostics or reply"));
    const QString kind = arguments.first();
    const bool isReply = kind == QLatin1String("reply");
    const qsizetype hexStart = isReply ? 2 : 1;
    if (isReply && arguments.size() < 2)
        return usageError(QStringLiteral("decode reply needs a reply kind"));
    // The bytes may come as one argument or as several, as an unquoted paste gives them.
    if (arguments.size() <= hexStart)
        return usageError(QStringLiteral("no HEX bytes given"));
    const std::optional<QByteArray> bytes =
        parseHex(arguments.mid(hexStart).join(QLatin1Char(' ')));
    if (!bytes)
        return usageError(QStringLiteral("HEX must be pairs of hexadecimal digits"));

    if (kind == QLatin1String("frame"))
        return decodeFrame(*bytes);
    if (kind == QLatin1String("diagnostics"))
        return decodeDiagnostics(*bytes);
    if (isReply)
        return decodeReply(arguments[1], *bytes);
    return usageError(QStringLiteral("unknown kind %1").arg(kind));
}

ExitCode DecodeCommand::decodeFrame(const QByteArray& bytes) {
    try {
        const StickFrame frame = StickFrame::parse(bytes);
        if (const auto* response = std::get_if<StickFrame::Response>(&frame.value)) {
            m_out << QStringLiteral("response %1 seq %2 status %3 payload %4")
                         .arg(displayName(response->opcode))
                         .arg(response->seq)
                         .arg(response->status.text(), hexOrDash(response->payload))
                  << Qt::endl;
        } else {
            m_out << std::get<StickEvent>(frame.value).text() << Qt::endl;
        }
        return ExitCode::succeeded;
    } catch (const StickWireError& error) {
        m_err << "error: " << error.description() << Qt::endl;
        return ExitCode::failed;
    }
}

ExitCode DecodeCommand::decodeDiagnostics(const QByteArray& bytes) {
    const std::optional<StickDiagnostics> record = StickDiagnostics::decode(bytes);
    if (!record) {
        m_err << "error: no diagnostics record" << Qt::endl;
        return ExitCode::failed;
    }
    m_out << record->description() << Qt::endl;
    return ExitCode::succeeded;
}

ExitCode DecodeCommand::decodeReply(const QString& kind, const QByteArray& bytes) {
    std::function<QStringList(const QByteArray&)> decode;
    if (kind == QLatin1String("info"))
        decode = [](const QByteArray& b) { return StickReport::infoLines(StickReply::info(b)); };
    else if (kind == QLatin1String("begin"))
        decode = [](const QByteArray& b) { return beginLines(StickReply::begin(b)); };
    else if (kind == QLatin1String("commit"))
        decode = [](const QByteArray& b) { return commitLines(StickReply::commit(b)); };
    else if (kind == QLatin1String("list"))
        decode = [](const QByteArray& b) { return listLines(StickReply::list(b)); };
    else if (kind == QLatin1String("last-result"))
        decode = [](const QByteArray& b) { return lastResultLines(StickReply::lastResult(b)); };
    else
        return usageError(QStringLiteral("unknown reply kind %1").arg(kind));

    try {
        for (const QString& line : decode(bytes))
            m_out << line << '\n';
        m_out.flush();
        return ExitCode::succeeded;
    } catch (const StickWireError& error) {
        m_err << "error: " << error.description() << Qt::endl;
        return ExitCode::failed;
    }
}

ExitCode DecodeCommand::usageError(const QString& message) {
    m_err << "error: " << message << "\nusage:\n" << usage() << Qt::endl;
    return ExitCode::misused;
}
