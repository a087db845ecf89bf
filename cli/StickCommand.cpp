#include "cli/StickCommand.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/files/StickDesigns.h"
#include "SendKit/files/StickFileName.h"
#include "SendKit/send/StickSend.h"
#include "app/core/StickFileBatch.h"
#include "app/core/StickMessages.h"
#include "cli/ProgressBar.h"
#include "cli/StickConnector.h"
#include "cli/StickReport.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QSet>

#include <cstdio>
#include <utility>

namespace {

// A listing this long may have been cut short.
bool mayBeCut(const QList<StickFileEntry>& entries) {
    return entries.size() >= StickSession::maxListEntries;
}

// The stick's files a delete argument stands for: the one file of that name, else all files of
// the design of that name, in either case ignoring letter case as the stick does. A file name
// beyond a cut listing is taken as it is; any other unknown name is none.
std::optional<QStringList> filesNamed(const QString& name, const QList<StickFileEntry>& entries) {
    const QString key = name.toLower();
    for (const StickFileEntry& entry : entries) {
        if (entry.name().toLower() == key)
            return QStringList{entry.name()};
    }
    for (const StickDesign& design : StickDesigns::group(entries)) {
        if (design.id() == key)
            return design.fileNames();
    }
    if (mayBeCut(entries) && !StickFileName::problem(name))
        return QStringList{name};
    return std::nullopt;
}

} // namespace

StickCommand::StickCommand(const CommandLine& line, StickConnector& connector, Clock& clock,
                           QTextStream& out, QTextStream& err, bool stdinIsTerminal,
                           bool stderrIsTerminal)
    : m_line(line)
    , m_connector(connector)
    , m_clock(clock)
    , m_out(out)
    , m_err(err)
    , m_stdinIsTerminal(stdinIsTerminal)
    , m_stderrIsTerminal(stderrIsTerminal) {}

QCoro::Task<ExitCode> StickCommand::run() {
    const bool sending = m_line.command == QLatin1String("send");
    // Files are looked at before the stick is bothered, so a missing file costs no connection;
    // they are read once the stick has said how large a file it takes.
    std::optional<StickFileBatch> batch;
    if (sending && !(batch = checkFiles()))
        co_return ExitCode::failed;

    std::exception_ptr failure;
    try {
        if (m_line.command == QLatin1String("scan"))
            co_return co_await scan();
        const std::shared_ptr<StickSession> session = co_await m_connector.connect();
        const StickInfo info = co_await session->getInfo();
        m_stickName = info.deviceName;
        if (m_line.command == QLatin1String("info"))
            co_return this->info(info);
        if (m_line.command == QLatin1String("list"))
            co_return co_await list(*session);
        if (m_line.command == QLatin1String("delete"))
            co_return co_await remove(*session);
        co_return co_await send(session, batch->read(info.maxFileSize));
    } catch (...) {
        failure = std::current_exception();
    }
    co_return fail(failure);
}

QCoro::Task<ExitCode> StickCommand::scan() {
    auto scanning = m_connector.scan(std::chrono::seconds(m_line.seconds.value_or(5)));
    const QList<StickPeripheral> sticks = co_await std::move(scanning);
    if (m_line.json)
        print(StickReport::sticksJson(sticks));
    else if (!sticks.isEmpty())
        m_out << StickReport::stickLines(sticks).join(QLatin1Char('\n')) << Qt::endl;
    if (sticks.isEmpty())
        throw StickError::noStickFound();
    co_return ExitCode::succeeded;
}

ExitCode StickCommand::info(const StickInfo& info) {
    if (m_line.json)
        print(StickReport::infoJson(info));
    else
        m_out << StickReport::infoLines(info).join(QLatin1Char('\n')) << Qt::endl;
    return ExitCode::succeeded;
}

QCoro::Task<QList<StickFileEntry>> StickCommand::listing(StickSession& session) {
    QList<StickFileEntry> entries = co_await session.list();
    if (mayBeCut(entries))
        m_err << "The stick lists only its first " << StickSession::maxListEntries
              << " files here; it may hold more." << Qt::endl;
    co_return entries;
}

QCoro::Task<ExitCode> StickCommand::list(StickSession& session) {
    const QList<StickFileEntry> entries = co_await listing(session);
    if (m_line.json) {
        print(m_line.files ? StickReport::filesJson(entries)
                           : StickReport::designsJson(StickDesigns::group(entries)));
    } else if (entries.isEmpty()) {
        m_out << "The stick holds no files." << Qt::endl;
    } else {
        const QStringList lines = m_line.files
                                      ? StickReport::fileLines(entries)
                                      : StickReport::designLines(StickDesigns::group(entries),
                                                                 QDateTime::currentDateTime());
        m_out << lines.join(QLatin1Char('\n')) << Qt::endl;
    }
    co_return ExitCode::succeeded;
}

QCoro::Task<ExitCode> StickCommand::remove(StickSession& session) {
    const QList<StickFileEntry> entries = co_await listing(session);
    // Every name must be known before anything is deleted; a name given twice counts once.
    QList<std::pair<QString, QStringList>> targets;
    QSet<QString> seen;
    for (const QString& name : m_line.arguments) {
        if (seen.contains(name.toLower()))
            continue;
        seen.insert(name.toLower());
        const std::optional<QStringList> files = filesNamed(name, entries);
        if (!files) {
            m_err << "error: No design or file named " << name << " on the stick." << Qt::endl;
            co_return ExitCode::failed;
        }
        targets.append({name, *files});
    }
    // A file is deleted once, whichever names it belongs to.
    QSet<QString> deleted;
    for (const auto& [name, files] : targets) {
        for (const QString& file : files) {
            if (deleted.contains(file.toLower()))
                continue;
            co_await session.deleteFile(file);
            deleted.insert(file.toLower());
        }
        m_out << "deleted " << name << ": " << files.join(QLatin1String(", ")) << Qt::endl;
    }
    co_return ExitCode::succeeded;
}

QCoro::Task<ExitCode> StickCommand::send(std::shared_ptr<StickSession> session,
                                         QList<StickFile> files) {
    // A bar between the transport's log lines would only garble both.
    const bool showsProgress = m_stderrIsTerminal && !m_line.verbose;
    qint64 totalBytes = 0;
    for (const StickFile& file : files)
        totalBytes += file.data().size();
    ProgressBar bar(m_err, m_clock, totalBytes);
    const StickSend::PhaseHandler phase = [&bar](const StickSendPhase& p) { bar.show(p); };
    const StickSend::Reconnect reconnect = [this] { return m_connector.connect(); };

    bool overwrite = m_line.replace;
    for (;;) {
        QStringList existing;
        try {
            const StickReceipt receipt = co_await StickSend::send(
                files, overwrite, session, reconnect,
                showsProgress ? phase : StickSend::PhaseHandler(), m_clock);
            bar.finish();
            if (m_line.json)
                print(StickReport::receiptJson(receipt));
            else
                m_out << StickReport::receiptLine(receipt) << Qt::endl;
            co_return ExitCode::succeeded;
        } catch (const StickError& error) {
            // Without a terminal nobody can be asked; the failure names the files.
            const auto* clash = error.get<StickError::NameExists>();
            if (!clash || overwrite || !m_stdinIsTerminal)
                throw;
            existing = clash->names;
        }
        // Nothing was transferred yet: the same files may go again, allowed to replace.
        bar.clear();
        if (!mayReplace(existing)) {
            m_err << "Nothing was sent." << Qt::endl;
            co_return ExitCode::namesExist;
        }
        overwrite = true;
    }
}

std::optional<StickFileBatch> StickCommand::checkFiles() {
    StickFileBatch batch(m_line.rawArguments);
    if (!batch.rejected().isEmpty())
        m_err << StickMessages::rejectedFilesNotice(batch.rejected()) << Qt::endl;
    // Sending one and dropping the other would leave the person believing both arrived.
    for (const StickFileBatch::Clash& clash : batch.clashes())
        m_err << "error: " << StickFileBatch::displayPath(clash.kept) << " and "
              << StickFileBatch::displayPath(clash.dropped) << " would both be stored as "
              << clash.stickName << " on the stick. Rename one of them." << Qt::endl;
    if (!batch.clashes().isEmpty())
        return std::nullopt;
    if (batch.accepted().isEmpty()) {
        m_err << "error: no embroidery files to send" << Qt::endl;
        return std::nullopt;
    }
    try {
        batch.check();
    } catch (const StickFileBatch::Failure&) {
        fail(std::current_exception());
        return std::nullopt;
    }
    return batch;
}

bool StickCommand::mayReplace(const QStringList& names) {
    m_err << StickMessages::message(StickError::nameExists(names)) << " Replace? [y/N] "
          << Qt::flush;
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

void StickCommand::print(const QJsonObject& document) {
    m_out << QJsonDocument(document).toJson(QJsonDocument::Indented) << Qt::flush;
}

ExitCode StickCommand::fail(const std::exception_ptr& error) {
    QString message;
    QString logText = StickLog::describe(error);
    bool namesExist = false;
    bool pairingFailed = false;
    bool bluetoothUnusable = false;
    try {
        std::rethrow_exception(error);
    } catch (const StickFileBatch::Failure& e) {
        message = e.message();
        logText = e.describe();
    } catch (const StickError& e) {
        message = StickMessages::message(e, m_stickName);
        namesExist = e.is<StickError::NameExists>();
        pairingFailed = e.is<StickError::PairingFailed>();
        bluetoothUnusable = e.is<StickError::BluetoothOff>() ||
                            e.is<StickError::BluetoothUnauthorized>() ||
                            e.is<StickError::BluetoothUnsupported>();
    } catch (const std::exception& e) {
        message = StickMessages::message(e, m_stickName);
    } catch (...) {
        message = QStringLiteral("unknown failure");
    }
    m_err << "error: " << message << " (" << logText << ")" << Qt::endl;
    if (bluetoothUnusable && !m_line.simulator)
        m_err << "Run brindle-stick-cli doctor to see what this computer's Bluetooth lacks."
              << Qt::endl;
    if (pairingFailed && !m_stdinIsTerminal)
        m_err << "The stick's code can only be typed in a terminal: run the command there once to "
                 "pair, or pair the stick with bluetoothctl first."
              << Qt::endl;
    if (!namesExist)
        return ExitCode::failed;
    m_err << "Send with --replace to replace them." << Qt::endl;
    return ExitCode::namesExist;
}
