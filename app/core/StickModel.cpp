#include "app/core/StickModel.h"

#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"
#include "SendKit/async/Clock.h"
#include "SendKit/async/Executor.h"
#include "SendKit/bluetooth/BluetoothStickLink.h"
#include "SendKit/bluetooth/StickCentral.h"
#include "SendKit/files/StickDesigns.h"
#include "SendKit/send/StickSend.h"
#include "SendKit/session/StickSession.h"
#include "app/core/AppSettings.h"
#include "app/core/Desktop.h"
#include "app/core/Journal.h"
#include "app/core/SleepInhibitor.h"
#include "app/core/StickFileBatch.h"
#include "app/core/StickMessages.h"
#include "app/core/WindowPairingPrompt.h"

#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

std::optional<StickError> stickErrorOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const StickError& stickError) {
        return stickError;
    } catch (...) {
        return std::nullopt;
    }
}

// Errors after which the connection cannot be used any more.
bool isLinkClass(const std::optional<StickError>& error) {
    if (!error)
        return false;
    return error->is<StickError::FirmwareIncompatible>() || error->is<StickError::BluetoothOff>() ||
           error->is<StickError::BluetoothUnauthorized>() ||
           error->is<StickError::BluetoothUnsupported>() || error->is<StickError::NoStickFound>() ||
           error->is<StickError::StickUnreachable>() || error->is<StickError::PairingFailed>() ||
           error->is<StickError::PairingStale>() || error->is<StickError::MtuTooSmall>() ||
           error->is<StickError::TransferInterrupted>() || error->is<StickError::Timeout>() ||
           error->is<StickError::Cancelled>();
}

// Errors of the remembered stick after which a search is more use than a failure.
bool isFallback(const std::optional<StickError>& error) {
    return error && (error->is<StickError::NoStickFound>() ||
                     error->is<StickError::StickUnreachable>() || error->is<StickError::Timeout>());
}

QCoro::Task<void> closeLink(std::shared_ptr<StickLink> link) {
    co_await link->close();
}

// Closing a link takes a while on a real radio; nobody waits for it.
void closeDetached(std::shared_ptr<StickLink> link) {
    if (link)
        Executor::spawn(closeLink(std::move(link)));
}

QByteArray localPath(const QUrl& url) {
    return QFile::encodeName(url.toLocalFile());
}

void logLine(const QString& line) {
    StickLog::write([&] { return line; });
}

// Stores the value; true when it differs from the one it replaces.
template <class T> bool change(T& field, T value) {
    if (field == value)
        return false;
    field = std::move(value);
    return true;
}

// Runs the work on a worker thread and awaits its value (or its exception) on the event loop.
template <class T> QCoro::Task<T> onWorker(std::function<T()> work) {
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, work = std::move(work)] {
        try {
            promise->addResult(work());
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    auto working = Executor::awaitWorker(std::move(future));
    co_return co_await std::move(working);
}

} // namespace

StickModel::StickModel(StickCentral& central, Clock& clock, Journal& journal, AppSettings& settings,
                       SleepInhibitor& inhibitor, QObject* parent)
    : QObject(parent)
    , m_central(central)
    , m_clock(clock)
    , m_journal(journal)
    , m_settings(settings)
    , m_inhibitor(inhibitor)
    , m_pairing(std::make_shared<WindowPairingPrompt>()) {
    StickLog::setSink([&journal](const QString& line) { journal.write(line); });
    m_pairing->setOnChange([this] { emit pairingQuestionChanged(); });
    m_central.platform().setPairingPrompt(m_pairing);
    m_statusLine = StickMessages::statusLine(m_step, m_info);
    restoreQueue();
    updateQueuedDesigns();
}

StickModel::~StickModel() {
    disconnectStick();
    m_pairing->setOnChange({});
    StickLog::setSink({});
    if (m_sendsRunning > 0)
        m_inhibitor.release();
}

bool StickModel::isCurrent(const QPointer<StickModel>& self, qint64 generation) {
    return self && self->m_generation == generation;
}

QStringList StickModel::queuedNames() const {
    QStringList names;
    for (const QUrl& url : m_queued)
        names << StickFileBatch::stickName(localPath(url));
    return names;
}

bool StickModel::hasSession() const {
    return m_session != nullptr;
}

const std::optional<PairingQuestion>& StickModel::pairingQuestion() const {
    return m_pairing->question();
}

// The files queued before the last quit come back; those moved or deleted since are named.
void StickModel::restoreQueue() {
    QStringList kept;
    QStringList missing;
    for (const QString& path : m_settings.queuedPaths()) {
        if (QFileInfo(path).isFile()) {
            kept << path;
            m_queued << QUrl::fromLocalFile(path);
        } else {
            missing << QFileInfo(path).fileName();
        }
    }
    if (missing.isEmpty())
        return;
    m_settings.setQueuedPaths(kept);
    m_notice = tr("No longer found, so no longer queued: %1").arg(missing.join(u", "));
}

// ---- operations ----

void StickModel::windowOpened() {
    if (!m_windowOpen) {
        m_windowOpen = true;
        emit windowOpenChanged();
    }
    // A notice from before the window was there, such as the files of the last run found missing.
    if (!m_notice.isEmpty())
        emit noticeChanged();
    if (m_session)
        disconnectStick();
    restartIdleTimer();
    runWork([this](std::stop_token stop) { return start(stop); });
}

void StickModel::windowClosed() {
    if (m_windowOpen) {
        m_windowOpen = false;
        emit windowOpenChanged();
    }
    disconnectStick();
    setStep(Step::Starting{});
}

void StickModel::connectStick(QUuid id, const QString& name) {
    stopScan();
    restartIdleTimer();
    runWork([this, id, name](std::stop_token stop) { return connectFlow(id, name, false, stop); });
}

void StickModel::confirmStick() {
    if (!m_connectedID)
        return;
    QSet<QUuid> confirmed = m_settings.confirmedStickIDs();
    confirmed.insert(*m_connectedID);
    m_settings.setConfirmedStickIDs(confirmed);
    setStep(Step::Ready{});
    restartIdleTimer();
    // The coroutine takes the model as a parameter: a coroutine lambda's captures die with the
    // lambda, which runWork does not keep.
    runWork([this](std::stop_token) {
        return [](QPointer<StickModel> self) -> QCoro::Task<void> {
            co_await self->listFlow();
            if (self)
                self->sendQueuedIfReady();
        }(QPointer<StickModel>(this));
    });
}

void StickModel::searchAnotherStick() {
    m_settings.setLastStickID(std::nullopt);
    disconnectStick();
    search();
}

void StickModel::accept(const QList<QUrl>& urls) {
    QList<QByteArray> paths;
    QStringList rejected;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            paths << localPath(url);
        else
            rejected << url.fileName();
    }
    const StickFileBatch batch(paths);
    rejected += batch.rejected();
    QStringList clashing;
    for (const StickFileBatch::Clash& clash : batch.clashes())
        clashing << StickFileBatch::displayName(clash.dropped);

    QStringList notices;
    if (!rejected.isEmpty())
        notices << StickMessages::rejectedFilesNotice(rejected);
    if (!clashing.isEmpty())
        notices << StickMessages::sameNameNotice(clashing);
    if (!notices.isEmpty())
        setNotice(notices.join(u'\n'));
    if (batch.accepted().isEmpty())
        return;

    QSet<QString> known;
    for (const QString& name : queuedNames())
        known.insert(name.toLower());
    QList<QUrl> queued = m_queued;
    for (const QByteArray& path : batch.accepted()) {
        if (!known.contains(StickFileBatch::stickName(path).toLower()))
            queued << QUrl::fromLocalFile(QFile::decodeName(path));
    }
    setQueued(std::move(queued));
    m_preparedFiles.reset();
    restartIdleTimer();
    m_journal.write(QStringLiteral("queued %1 file(s): %2")
                        .arg(batch.accepted().size())
                        .arg(queuedNames().join(u", ")));

    if (m_step.is<Step::Ready>() || m_step.is<Step::Replace>() || m_step.is<Step::Done>()) {
        runWork([this](std::stop_token stop) { return sendUnlessWarned(stop); });
    } else if (m_step.is<Step::Failed>() || m_step.is<Step::Released>()) {
        reconnect();
    }
}

void StickModel::chooseFiles() {
    emit chooseFilesRequested();
}

void StickModel::send(bool overwrite) {
    runWork([this, overwrite](std::stop_token stop) { return sendFlow(overwrite, stop); });
}

void StickModel::keepExisting() {
    setQueued({});
    m_preparedFiles.reset();
    resume();
}

void StickModel::retry() {
    const auto* failed = m_step.get<Step::Failed>();
    if (!failed)
        return;
    switch (failed->retry) {
    case Retry::Reconnect:
        reconnect();
        break;
    case Retry::Send:
        send(false);
        break;
    case Retry::List:
        resume();
        break;
    }
}

void StickModel::forgetQueuedFiles() {
    setQueued({});
    m_preparedFiles.reset();
}

void StickModel::removeFromQueue(int index) {
    if (index < 0 || index >= m_queued.size())
        return;
    QList<QUrl> queued = m_queued;
    queued.removeAt(index);
    setQueued(std::move(queued));
    m_preparedFiles.reset();
}

void StickModel::refreshList() {
    restartIdleTimer();
    runWork([this](std::stop_token) { return listFlow(); });
}

void StickModel::deleteDesign(const QStringList& fileNames) {
    if (fileNames.isEmpty() || m_isDeleting)
        return;
    if (!m_session) {
        fail(std::make_exception_ptr(StickError::transferInterrupted()), Retry::Reconnect);
        return;
    }
    restartIdleTimer();
    setIsDeleting(true);
    const qint64 generation = m_generation;
    runWork([this, fileNames, generation](std::stop_token) {
        return deleteFlow(fileNames, generation);
    });
}

void StickModel::reconnect() {
    if (m_session)
        disconnectStick();
    restartIdleTimer();
    runWork([this](std::stop_token stop) { return start(stop); });
}

void StickModel::release() {
    disconnectStick();
    setStep(Step::Released{});
    m_journal.write(QStringLiteral("stick released"));
}

void StickModel::forgetStick() {
    QSet<QUuid> confirmed = m_settings.confirmedStickIDs();
    if (m_connectedID)
        confirmed.remove(*m_connectedID);
    if (const auto last = m_settings.lastStickID())
        confirmed.remove(*last);
    m_settings.setConfirmedStickIDs(confirmed);
    m_settings.setLastStickID(std::nullopt);
    m_journal.write(QStringLiteral("stick forgotten"));
    disconnectStick();
    if (m_windowOpen)
        search();
    else
        setStep(Step::Starting{});
}

void StickModel::disconnectStick() {
    ++m_generation;
    m_work.request_stop();
    m_stateTask.request_stop();
    m_idleTimer.cancel();
    stopScan();
    m_pairing->close();
    if (m_session)
        closeDetached(m_link);
    m_session.reset();
    m_link.reset();
    m_connectedID.reset();
    setInfo(std::nullopt);
    setStickFiles({});
    setListFailed(false);
    updateDerived();
}

void StickModel::showMainWindow() {
    if (m_openMainWindow)
        m_openMainWindow();
    else
        emit mainWindowRequested();
}

void StickModel::setOpenMainWindow(std::function<void()> open) {
    m_openMainWindow = std::move(open);
}

void StickModel::openBluetoothSettings() {
    Desktop::openBluetoothSettings();
}

void StickModel::clearNotice() {
    setNotice({});
}

void StickModel::answerPasskey(quint32 passkey) {
    m_pairing->answerPasskey(passkey);
}

void StickModel::answerComparison(bool matches) {
    m_pairing->answerComparison(matches);
}

void StickModel::cancelPairing() {
    m_pairing->close();
}

// ---- connection flows ----

QCoro::Task<void> StickModel::start(std::stop_token stop) {
    QPointer<StickModel> self(this);
    const qint64 generation = m_generation;
    std::exception_ptr error;
    try {
        auto ready = m_central.ready();
        co_await std::move(ready);
    } catch (...) {
        error = std::current_exception();
    }
    if (!isCurrent(self, generation) || stop.stop_requested())
        co_return;
    if (error) {
        fail(error, Retry::Reconnect);
        co_return;
    }
    if (const auto id = m_settings.lastStickID()) {
        auto connecting =
            connectFlow(*id, QString::fromLatin1(defaultStickName), true, std::move(stop));
        co_await std::move(connecting);
    } else {
        search();
    }
}

void StickModel::search() {
    stopScan();
    m_scan = std::stop_source();
    setStep(Step::Searching{});
    setSticks({});
    setSearchedLong(false);
    m_longSearchTimer = m_clock.schedule(longSearch, [this] { setSearchedLong(true); });
    Executor::spawn(scanSticks(m_scan.get_token()));
}

void StickModel::stopScan() {
    m_scan.request_stop();
    m_longSearchTimer.cancel();
}

QCoro::Task<void> StickModel::scanSticks(std::stop_token stop) {
    QPointer<StickModel> self(this);
    StickScan scan = m_central.scan();
    std::stop_callback stopScanning(stop, [&scan] { scan.stop(); });
    while (true) {
        auto next = scan.next();
        const std::optional<QList<StickPeripheral>> sticks = co_await std::move(next);
        if (!sticks || !self || stop.stop_requested())
            break;
        setSticks(*sticks);
    }
    // The scan ended by itself: the search is over, however long it ran.
    if (self && !stop.stop_requested())
        m_longSearchTimer.cancel();
}

QCoro::Task<void> StickModel::connectFlow(QUuid id, QString name, bool fallBackToSearch,
                                          std::stop_token stop) {
    QPointer<StickModel> self(this);
    setStep(Step::Connecting{StickConnectPhase::Connecting, name});
    const qint64 generation = m_generation;
    // A newer connection, or a disconnection, supersedes this one.
    const auto superseded = [&] { return !isCurrent(self, generation) || stop.stop_requested(); };

    // One connection attempt at a time: one that was superseded still holds the stick (a pairing
    // under way, say) until it has ended.
    const std::optional<OneShot<void>> previous = std::exchange(m_lastConnect, OneShot<void>());
    struct Ended {
        OneShot<void> attempt;
        ~Ended() { attempt.resume(); }
    } ended{*m_lastConnect};
    if (previous) {
        co_await *previous;
        if (superseded())
            co_return;
    }

    std::shared_ptr<StickLink> link;
    std::shared_ptr<StickSession> session;
    StickInfo info;
    std::exception_ptr error;
    try {
        auto connecting = m_central.connect(id, [self, generation, name](StickConnectPhase phase) {
            if (isCurrent(self, generation) && self->m_step.is<Step::Connecting>())
                self->setStep(Step::Connecting{phase, name});
        });
        link = co_await std::move(connecting);
        if (!superseded()) {
            session = std::make_shared<StickSession>(link, m_clock);
            auto asking = session->getInfo();
            info = co_await std::move(asking);
        }
    } catch (...) {
        error = std::current_exception();
    }
    if (error || superseded()) {
        closeDetached(link);
        if (!error || superseded())
            co_return;
        const std::optional<StickError> stickError = stickErrorOf(error);
        if (fallBackToSearch && isFallback(stickError))
            search();
        else
            fail(error, Retry::Reconnect);
        co_return;
    }

    setSession(session, link);
    setInfo(info);
    m_connectedID = id;
    m_settings.setLastStickID(id);
    m_journal.write(QStringLiteral("stick connected: %1, firmware %2, usb %3, max %4")
                        .arg(info.deviceName, info.firmwareVersion)
                        .arg(info.usbState.byte())
                        .arg(info.maxFileSize));
    watchStateChanges(session);

    if (m_settings.confirmedStickIDs().contains(id)) {
        setStep(Step::Ready{});
        co_await listFlow();
        if (isCurrent(self, generation))
            sendQueuedIfReady();
    } else {
        setStep(Step::Confirm{});
        try {
            auto identifying = session->identify(identifySeconds);
            co_await std::move(identifying);
        } catch (...) {
            // The stick shows its name as a courtesy; confirming works without it.
        }
    }
}

void StickModel::watchStateChanges(std::shared_ptr<StickSession> session) {
    m_stateTask.request_stop();
    m_stateTask = std::stop_source();
    Executor::spawn(followStateChanges(std::move(session), m_generation, m_stateTask.get_token()));
}

QCoro::Task<void> StickModel::followStateChanges(std::shared_ptr<StickSession> session,
                                                 qint64 generation, std::stop_token stop) {
    QPointer<StickModel> self(this);
    AsyncQueue<StickEvent> events = session->stateChanges();
    while (true) {
        auto next = events.next();
        const std::optional<StickEvent> event = co_await std::move(next);
        if (!event || !isCurrent(self, generation) || stop.stop_requested())
            co_return;
        if (m_step.is<Step::Ready>() || m_step.is<Step::Done>()) {
            auto listing = listFlow();
            co_await std::move(listing);
        }
    }
}

void StickModel::sendQueuedIfReady() {
    if (!m_queued.isEmpty() && m_step.is<Step::Ready>())
        runWork([this](std::stop_token stop) { return sendUnlessWarned(stop); });
}

QCoro::Task<void> StickModel::lookAtQueue() {
    QPointer<StickModel> self(this);
    QStringList stale;
    for (const QUrl& url : m_queued) {
        const QString path = url.toLocalFile();
        const QFileInfo file(path);
        const auto look = m_looks.constFind(path);
        if (look == m_looks.cend() || look->size != file.size() ||
            look->modified != file.lastModified())
            stale << path;
    }
    if (stale.isEmpty())
        co_return;
    auto reading = onWorker<QList<Look>>([stale] {
        QList<Look> looks;
        for (const QString& path : stale) {
            // Taken before reading: a file changed meanwhile is read again next time.
            const QFileInfo file(path);
            looks << Look{file.size(), file.lastModified(), DesignPreview::read(path)};
        }
        return looks;
    });
    const QList<Look> looks = co_await std::move(reading);
    if (!self)
        co_return;
    for (qsizetype i = 0; i < stale.size(); ++i)
        m_looks.insert(stale[i], looks[i]);
    updateQueuedDesigns();
}

QCoro::Task<void> StickModel::sendUnlessWarned(std::stop_token stop) {
    QPointer<StickModel> self(this);
    const qint64 generation = m_generation;
    auto looking = lookAtQueue();
    co_await std::move(looking);
    if (!isCurrent(self, generation) || stop.stop_requested())
        co_return;
    const bool warned =
        std::any_of(m_queuedDesigns.cbegin(), m_queuedDesigns.cend(),
                    [](const QueuedDesign& design) { return !design.warning.isEmpty(); });
    if (warned) {
        setStep(Step::Ready{});
        co_return;
    }
    auto sending = sendFlow(false, stop);
    co_await std::move(sending);
}

void StickModel::keepThumbnails(const QList<QueuedDesign>& sent) {
    for (const QueuedDesign& design : sent) {
        if (!design.preview || design.preview->picture.isNull())
            continue;
        for (const StickFileEntry& file : m_stickFiles) {
            if (file.name().compare(design.name, Qt::CaseInsensitive) == 0)
                m_thumbnails.store(file, design.preview->picture);
        }
    }
    emit thumbnailsChanged();
}

QImage StickModel::thumbnail(const StickDesign& design) const {
    for (const StickFileEntry& file : design.stitchFiles) {
        const QImage picture = m_thumbnails.find(file);
        if (!picture.isNull())
            return picture;
    }
    return {};
}

void StickModel::setLargestHoop(const std::optional<HoopSize>& hoop) {
    m_settings.setLargestHoop(hoop);
    updateQueuedDesigns();
}

void StickModel::restartIdleTimer() {
    m_idleTimer = m_clock.schedule(idleRelease, [this] { idleTimeout(); });
}

void StickModel::idleTimeout() {
    const bool busy =
        m_step.is<Step::Sending>() || m_step.is<Step::Preparing>() || m_step.is<Step::Verifying>();
    if (m_session && !m_isDeleting && !busy && m_queued.isEmpty())
        release();
}

void StickModel::resume() {
    restartIdleTimer();
    if (m_session)
        setStep(Step::Ready{});
    else
        reconnect();
}

void StickModel::runWork(Operation operation) {
    m_work.request_stop();
    m_work = std::stop_source();
    Executor::spawn(operation(m_work.get_token()));
}

void StickModel::fail(const std::exception_ptr& error, Retry retry) {
    logLine(QStringLiteral("stick failed: ") + StickLog::describe(error));
    const std::optional<StickError> stickError = stickErrorOf(error);
    const bool settings = stickError && stickError->is<StickError::BluetoothUnauthorized>();
    const std::optional<QString> stickName =
        m_info ? std::optional<QString>(m_info->deviceName) : std::nullopt;
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        message = StickMessages::message(e, stickName);
    } catch (...) {
        message = StickMessages::message(StickError::protocolError({}), stickName);
    }
    setStep(Step::Failed{message, retry, settings});
}

void StickModel::setSession(std::shared_ptr<StickSession> session,
                            std::shared_ptr<StickLink> link) {
    m_session = std::move(session);
    m_link = std::move(link);
    updateDerived();
}

// ---- files ----

QCoro::Task<void> StickModel::listFlow() {
    if (!m_session)
        co_return;
    QPointer<StickModel> self(this);
    const qint64 generation = m_generation;
    const std::shared_ptr<StickSession> session = m_session;
    try {
        auto asking = session->getInfo();
        StickInfo info = co_await std::move(asking);
        if (isCurrent(self, generation))
            setInfo(std::move(info));
    } catch (...) {
        // The information is refreshed when it can be; the old record still holds.
    }
    if (!isCurrent(self, generation))
        co_return;

    QList<StickFileEntry> entries;
    std::exception_ptr error;
    try {
        auto listing = session->list();
        entries = co_await std::move(listing);
    } catch (...) {
        error = std::current_exception();
    }
    if (!isCurrent(self, generation))
        co_return;
    if (error) {
        logLine(QStringLiteral("stick list failed: ") + StickLog::describe(error));
        setListFailed(true);
        co_return;
    }
    setStickFiles(std::move(entries));
    setListFailed(false);
}

QCoro::Task<QList<StickFile>> StickModel::prepareFiles() {
    QList<QByteArray> paths;
    for (const QUrl& url : m_queued)
        paths << localPath(url);
    // A stick that tells no limit still takes no more than its 32-bit sizes can say.
    const quint64 limit = m_info && m_info->maxFileSize != 0 ? m_info->maxFileSize
                                                             : std::numeric_limits<quint32>::max();
    auto reading =
        onWorker<QList<StickFile>>([paths, limit] { return StickFileBatch(paths).read(limit); });
    co_return co_await std::move(reading);
}

QCoro::Task<void> StickModel::sendFlow(bool overwrite, std::stop_token stop) {
    if (m_queued.isEmpty())
        co_return;
    if (!m_session || !m_connectedID) {
        fail(std::make_exception_ptr(StickError::transferInterrupted()), Retry::Reconnect);
        co_return;
    }
    QPointer<StickModel> self(this);
    const QUuid id = *m_connectedID;
    const qint64 generation = m_generation;
    setStep(Step::Preparing{});
    restartIdleTimer();
    if (m_sendsRunning++ == 0)
        m_inhibitor.acquire();
    // Every way out of the send lets the computer sleep again.
    struct Activity {
        QPointer<StickModel> model;
        ~Activity() {
            if (model && --model->m_sendsRunning == 0)
                model->m_inhibitor.release();
        }
    } activity{self};

    // The previews, for the done card and the stick's file list, come from the files as sent.
    auto looking = lookAtQueue();
    co_await std::move(looking);
    if (!isCurrent(self, generation))
        co_return;

    QList<StickFile> files;
    std::exception_ptr error;
    if (m_preparedFiles) {
        files = *m_preparedFiles;
    } else {
        try {
            auto preparing = prepareFiles();
            files = co_await std::move(preparing);
        } catch (...) {
            error = std::current_exception();
        }
        if (!isCurrent(self, generation))
            co_return;
        if (error) {
            failUnreadable(error);
            co_return;
        }
        m_preparedFiles = files;
    }

    const auto started = m_clock.now();
    const std::shared_ptr<StickSession> session = m_session;
    const std::shared_ptr<StickLink> link = m_link;
    StickReceipt receipt;
    try {
        auto sending = StickSend::send(
            files, overwrite, session,
            [self, id, generation] {
                if (!self)
                    throw StickError::cancelled();
                return self->reopen(id, generation);
            },
            [self](const StickSendPhase& phase) {
                if (self)
                    self->applyPhase(phase);
            },
            m_clock, stop);
        receipt = co_await std::move(sending);
    } catch (...) {
        error = std::current_exception();
    }
    if (!isCurrent(self, generation))
        co_return;

    if (!error) {
        QStringList stored;
        for (const StickReceipt::Stored& file : receipt.files)
            stored << file.name + u' ' + QString::fromLatin1(file.sha256.left(4).toHex());
        m_journal.write(QStringLiteral("stick send ok: %1 to %2 in %3 s")
                            .arg(stored.join(u", "), receipt.stickName)
                            .arg(receipt.seconds, 0, 'f', 1));
        const QList<QueuedDesign> sent = m_queuedDesigns;
        if (change(m_sentDesigns, sent))
            emit sentDesignsChanged();
        setQueued({});
        m_preparedFiles.reset();
        setStep(Step::Done{receipt});
        auto listing = listFlow();
        co_await std::move(listing);
        if (isCurrent(self, generation))
            keepThumbnails(sent);
        co_return;
    }

    const std::optional<StickError> stickError = stickErrorOf(error);
    if (stickError && stickError->is<StickError::NameExists>()) {
        setStep(Step::Replace{stickError->get<StickError::NameExists>()->names});
        co_return;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_clock.now() - started);
    m_journal.write(QStringLiteral("stick send failed after %1 s: %2")
                        .arg(seconds.count())
                        .arg(StickLog::describe(error)));
    const bool linkLost = isLinkClass(stickError);
    if (linkLost) {
        fail(error, Retry::Reconnect);
        // The link stays with the diagnostics below, which close it.
        m_session.reset();
        m_link.reset();
        m_stateTask.request_stop();
        updateDerived();
    } else {
        fail(error, Retry::Send);
    }
    auto diagnosing = diagnoseFailedSend(link, id, generation, linkLost, stop);
    co_await std::move(diagnosing);
}

void StickModel::failUnreadable(const std::exception_ptr& error) {
    QString description = StickLog::describe(error);
    QString message = StickMessages::unreadableFileMessage();
    try {
        std::rethrow_exception(error);
    } catch (const StickFileBatch::Failure& failure) {
        description = failure.describe();
        // Only a file that cannot be opened may have moved; the others say what is wrong.
        if (failure.kind() != StickFileBatch::Failure::Kind::unreadable)
            message = failure.message();
    } catch (...) {
    }
    m_journal.write(QStringLiteral("reading the files failed: ") + description);
    setStep(Step::Failed{message, Retry::Send, false});
}

QCoro::Task<std::shared_ptr<StickSession>> StickModel::reopen(QUuid id, qint64 generation) {
    QPointer<StickModel> self(this);
    auto connecting = m_central.connect(id, [](StickConnectPhase) {});
    std::shared_ptr<StickLink> link = co_await std::move(connecting);
    if (!isCurrent(self, generation)) {
        closeDetached(link);
        throw StickError::cancelled();
    }
    auto session = std::make_shared<StickSession>(link, m_clock);
    // The interrupted link is gone; the stick's state is followed on the new one.
    closeDetached(std::exchange(m_link, link));
    m_session = session;
    watchStateChanges(session);
    co_return session;
}

void StickModel::applyPhase(const StickSendPhase& phase) {
    if (m_isDeleting)
        return;
    if (!m_step.is<Step::Preparing>() && !m_step.is<Step::Sending>() &&
        !m_step.is<Step::Verifying>())
        return;
    if (const auto* sending = std::get_if<StickSendPhase::Sending>(&phase.value))
        setStep(Step::Sending{sending->fraction});
    else
        setStep(Step::Verifying{});
}

QCoro::Task<void> StickModel::diagnoseFailedSend(std::shared_ptr<StickLink> link, QUuid id,
                                                 qint64 generation, bool linkLost,
                                                 std::stop_token stop) {
    QPointer<StickModel> self(this);
    const QString prefix = QStringLiteral("stick diagnostics after the failed send: ");
    std::optional<StickDiagnostics> record;
    if (auto bluetooth = std::dynamic_pointer_cast<BluetoothStickLink>(link)) {
        auto reading = bluetooth->readDiagnostics();
        record = co_await std::move(reading);
    }
    if (!self) {
        closeDetached(link);
        co_return;
    }
    // A dropped session's link still holds the stick; once read, it is let go.
    if (linkLost)
        closeDetached(link);
    if (record) {
        logLine(prefix + record->description());
        co_return;
    }
    // A session that is still open keeps the stick: a second connection to ask it would end it.
    if (!linkLost)
        co_return;
    logLine(prefix + QStringLiteral("link gone, reconnecting once to ask"));
    auto waiting = sleepFor(m_clock, diagnosticsDelay, stop);
    const bool waited = co_await std::move(waiting);
    if (!waited || !isCurrent(self, generation))
        co_return;
    try {
        // Setting the link up reads and logs the stick's diagnostics.
        auto connecting = m_central.connect(id, [](StickConnectPhase) {});
        std::shared_ptr<StickLink> asked = co_await std::move(connecting);
        closeDetached(std::move(asked));
    } catch (...) {
        logLine(prefix + QStringLiteral("reconnect failed: ") +
                StickLog::describe(std::current_exception()));
    }
}

QCoro::Task<void> StickModel::deleteFlow(QStringList names, qint64 generation) {
    QPointer<StickModel> self(this);
    const std::shared_ptr<StickSession> session = m_session;
    for (const QString& name : names) {
        std::exception_ptr error;
        try {
            auto deleting = session->deleteFile(name);
            co_await std::move(deleting);
        } catch (...) {
            error = std::current_exception();
        }
        if (!self)
            co_return;
        const std::optional<StickError> stickError = error ? stickErrorOf(error) : std::nullopt;
        if (error && !(stickError && stickError->is<StickError::NotFound>())) {
            if (m_generation == generation)
                fail(error, isLinkClass(stickError) ? Retry::Reconnect : Retry::List);
            setIsDeleting(false);
            co_return;
        }
        m_journal.write(QStringLiteral("stick delete %1: ok").arg(name));
        if (m_generation != generation) {
            setIsDeleting(false);
            co_return;
        }
    }
    auto listing = listFlow();
    co_await std::move(listing);
    if (self)
        setIsDeleting(false);
}

// ---- observed fields ----

void StickModel::setStep(Step step) {
    if (change(m_step, std::move(step))) {
        emit stepChanged();
        updateDerived();
    }
}

void StickModel::setListFailed(bool failed) {
    if (change(m_listFailed, failed))
        emit listFailedChanged();
}

void StickModel::setSticks(QList<StickPeripheral> sticks) {
    if (change(m_sticks, std::move(sticks))) {
        emit sticksChanged();
        updateDerived();
    }
}

void StickModel::setSearchedLong(bool searchedLong) {
    if (change(m_searchedLong, searchedLong))
        emit searchedLongChanged();
}

void StickModel::setInfo(std::optional<StickInfo> info) {
    if (change(m_info, std::move(info))) {
        emit infoChanged();
        updateDerived();
    }
}

void StickModel::setStickFiles(QList<StickFileEntry> files) {
    if (!change(m_stickFiles, std::move(files)))
        return;
    emit stickFilesChanged();
    if (change(m_designs, StickDesigns::group(m_stickFiles)))
        emit designsChanged();
}

void StickModel::setIsDeleting(bool deleting) {
    if (change(m_isDeleting, deleting))
        emit isDeletingChanged();
}

void StickModel::setQueued(QList<QUrl> queued) {
    if (!change(m_queued, std::move(queued)))
        return;
    QStringList paths;
    for (const QUrl& url : m_queued)
        paths << url.toLocalFile();
    m_settings.setQueuedPaths(paths);
    emit queuedChanged();
    updateQueuedDesigns();
}

void StickModel::updateQueuedDesigns() {
    const std::optional<HoopSize> hoop = m_settings.largestHoop();
    QList<QueuedDesign> designs;
    QHash<QString, Look> looks;
    for (const QUrl& url : m_queued) {
        const QString path = url.toLocalFile();
        QueuedDesign design{StickFileBatch::stickName(localPath(url)), {}, {}, {}};
        if (const auto look = m_looks.constFind(path); look != m_looks.cend()) {
            looks.insert(path, *look);
            design.preview = look->preview;
        }
        if (design.preview && design.preview->problem) {
            design.warning = StickMessages::designProblem(*design.preview->problem);
        } else if (design.preview) {
            design.figures = StickMessages::designFigures(*design.preview);
            if (hoop && !hoop->fits(design.preview->size))
                design.warning =
                    StickMessages::hoopWarning(design.name, design.preview->size, *hoop);
        }
        designs << design;
    }
    // Only the queued files' previews are kept.
    m_looks = std::move(looks);
    if (change(m_queuedDesigns, std::move(designs)))
        emit queuedDesignsChanged();
}

void StickModel::setNotice(QString notice) {
    if (change(m_notice, std::move(notice)))
        emit noticeChanged();
}

void StickModel::updateDerived() {
    if (change(m_statusLine, StickMessages::statusLine(m_step, m_info)))
        emit statusLineChanged();

    DotState dot = DotState::Idle;
    if (m_step.is<Step::Sending>() || m_step.is<Step::Replace>() || m_step.is<Step::Done>() ||
        m_step.is<Step::Ready>() || m_step.is<Step::Preparing>() || m_step.is<Step::Verifying>() ||
        (m_step.is<Step::Failed>() && m_session))
        dot = DotState::Connected;
    else if (m_step.is<Step::Connecting>() || m_step.is<Step::Confirm>() ||
             (m_step.is<Step::Searching>() && !m_sticks.isEmpty()))
        dot = DotState::Busy;
    if (change(m_dotState, dot))
        emit dotStateChanged();

    if (change(m_hasSession, m_session != nullptr))
        emit hasSessionChanged();
}
