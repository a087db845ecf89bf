#pragma once

#include "SendKit/async/ClockTimer.h"
#include "SendKit/async/OneShot.h"
#include "SendKit/bluetooth/StickPeripheral.h"
#include "SendKit/files/StickDesign.h"
#include "SendKit/protocol/StickFileEntry.h"
#include "SendKit/protocol/StickInfo.h"
#include "SendKit/send/StickFile.h"
#include "SendKit/send/StickSendPhase.h"
#include "app/core/DotState.h"
#include "app/core/HoopSize.h"
#include "app/core/PairingQuestion.h"
#include "app/core/QueuedDesign.h"
#include "app/core/Retry.h"
#include "app/core/Step.h"
#include "app/picture/DesignThumbnails.h"

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class AppSettings;
class BluetoothStickLink;
class Clock;
class Journal;
class SleepInhibitor;
class StickCentral;
class StickError;
class StickLink;
class StickSession;
class WindowPairingPrompt;

// The application's one observable object: it drives the whole life of a stick connection as a
// state machine (step), owns at most one session and the link under it, runs every flow (connect,
// confirm, send, list, delete, release, retry) and holds everything the window and the tray item
// show. Every flow is a coroutine on the event loop; a generation counter, raised on every
// disconnection, makes any late result of a dropped connection change nothing.
class StickModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(Step step READ step NOTIFY stepChanged)
    Q_PROPERTY(QString statusLine READ statusLine NOTIFY statusLineChanged)
    Q_PROPERTY(DotState dotState READ dotState NOTIFY dotStateChanged)
    Q_PROPERTY(bool listFailed READ listFailed NOTIFY listFailedChanged)
    Q_PROPERTY(QList<StickPeripheral> sticks READ sticks NOTIFY sticksChanged)
    Q_PROPERTY(bool searchedLong READ searchedLong NOTIFY searchedLongChanged)
    Q_PROPERTY(std::optional<StickInfo> info READ info NOTIFY infoChanged)
    Q_PROPERTY(QList<StickFileEntry> stickFiles READ stickFiles NOTIFY stickFilesChanged)
    Q_PROPERTY(QList<StickDesign> designs READ designs NOTIFY designsChanged)
    Q_PROPERTY(bool isDeleting READ isDeleting NOTIFY isDeletingChanged)
    Q_PROPERTY(QList<QUrl> queued READ queued NOTIFY queuedChanged)
    Q_PROPERTY(QStringList queuedNames READ queuedNames NOTIFY queuedChanged)
    Q_PROPERTY(QList<QueuedDesign> queuedDesigns READ queuedDesigns NOTIFY queuedDesignsChanged)
    Q_PROPERTY(QList<QueuedDesign> sentDesigns READ sentDesigns NOTIFY sentDesignsChanged)
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(bool windowOpen READ windowOpen NOTIFY windowOpenChanged)
    Q_PROPERTY(bool hasSession READ hasSession NOTIFY hasSessionChanged)
    Q_PROPERTY(std::optional<PairingQuestion> pairingQuestion READ pairingQuestion NOTIFY
                   pairingQuestionChanged)

public:
    // The remembered stick is first tried under this name.
    static constexpr auto defaultStickName = "Brindle";
    // Without a user action for this long, an idle stick is let go.
    static constexpr std::chrono::seconds idleRelease{300};
    // A search that has run this long says so (searchedLong).
    static constexpr std::chrono::seconds longSearch{5};
    // How long a stick seen for the first time shows its name.
    static constexpr quint8 identifySeconds = 15;
    // The pause before reconnecting once to ask a stick for its diagnostics.
    static constexpr std::chrono::seconds diagnosticsDelay{2};

    // Installs the journal as the transport log's sink and the pairing prompt on the central's
    // platform. Nothing else starts until windowOpened().
    StickModel(StickCentral& central, Clock& clock, Journal& journal, AppSettings& settings,
               SleepInhibitor& inhibitor, QObject* parent = nullptr);
    ~StickModel() override;

    // Observed state.
    const Step& step() const { return m_step; }
    QString statusLine() const { return m_statusLine; }
    DotState dotState() const { return m_dotState; }
    bool listFailed() const { return m_listFailed; }
    const QList<StickPeripheral>& sticks() const { return m_sticks; }
    bool searchedLong() const { return m_searchedLong; }
    const std::optional<StickInfo>& info() const { return m_info; }
    const QList<StickFileEntry>& stickFiles() const { return m_stickFiles; }
    const QList<StickDesign>& designs() const { return m_designs; }
    bool isDeleting() const { return m_isDeleting; }
    const QList<QUrl>& queued() const { return m_queued; }
    // For each queued file, the name the stick stores it under.
    QStringList queuedNames() const;
    // The queued files with their previews and warnings, in queue order. A file whose preview is
    // still being read has none yet.
    const QList<QueuedDesign>& queuedDesigns() const { return m_queuedDesigns; }
    // The files of the last verified send, as they were queued.
    const QList<QueuedDesign>& sentDesigns() const { return m_sentDesigns; }
    // The picture of a design on the stick that this computer sent; null when there is none.
    QImage thumbnail(const StickDesign& design) const;
    // A one-off message for an alert ("Not sent"); empty when there is none.
    QString notice() const { return m_notice; }
    bool windowOpen() const { return m_windowOpen; }
    bool hasSession() const;
    const std::optional<PairingQuestion>& pairingQuestion() const;

    // What the window, the tray item and the shell call.
    void windowOpened();
    void windowClosed();
    // Connects to a stick picked from the search list.
    void connectStick(QUuid id, const QString& name);
    // "Yes, that one": the connected stick is the one the person means.
    void confirmStick();
    // "Another stick": forgets the remembered stick for this connection and searches.
    void searchAnotherStick();
    // Queues the stitch and companion files among the URLs; names the others in the notice.
    void accept(const QList<QUrl>& urls);
    // Asks the window for the file chooser (chooseFilesRequested); the chosen files go to accept.
    void chooseFiles();
    // Sends the queue; with overwrite, "Replace" after the stick named files it already holds.
    // Also "Send" for a queue that waits in the ready step because one of its files has a warning
    // (queued files go by themselves only when none has).
    void send(bool overwrite);
    // "Keep": the queue is dropped and the stick is ready again.
    void keepExisting();
    // "Try again", as the failed step's retry says.
    void retry();
    void forgetQueuedFiles();
    // Takes one file out of the queue (by its place in queuedDesigns); the rest waits.
    void removeFromQueue(int index);
    // Re-reads the stick's information and file list.
    void refreshList();
    // Deletes every file of a design, one by one; a file already gone counts as deleted.
    void deleteDesign(const QStringList& fileNames);
    void reconnect();
    // Lets the stick go so that another host can use it.
    void release();
    // Forgets the connected and the remembered stick: the next connection asks to confirm again.
    void forgetStick();
    // Drops the connection without changing the step (the shell calls it when quitting).
    void disconnectStick();
    // Runs the action the window set, or asks for the window (mainWindowRequested).
    void showMainWindow();
    // Set by the window each time it is shown: how to bring it back.
    void setOpenMainWindow(std::function<void()> open);
    void openBluetoothSettings();
    void clearNotice();
    // The largest hoop of the machine, none for no limit: kept in the settings, and the queue's
    // warnings follow it.
    void setLargestHoop(const std::optional<HoopSize>& hoop);

    // Answers to the open pairing question.
    void answerPasskey(quint32 passkey);
    void answerComparison(bool matches);
    void cancelPairing();

signals:
    void stepChanged();
    void statusLineChanged();
    void dotStateChanged();
    void listFailedChanged();
    void sticksChanged();
    void searchedLongChanged();
    void infoChanged();
    void stickFilesChanged();
    void designsChanged();
    void isDeletingChanged();
    void queuedChanged();
    void queuedDesignsChanged();
    void sentDesignsChanged();
    // A picture was kept for a design on the stick.
    void thumbnailsChanged();
    void noticeChanged();
    void windowOpenChanged();
    void hasSessionChanged();
    void pairingQuestionChanged();
    // The window should open its file chooser and hand the chosen files to accept().
    void chooseFilesRequested();
    // The main window should come forward (no open action was set).
    void mainWindowRequested();

private:
    using Operation = std::function<QCoro::Task<void>(std::stop_token)>;

    // The flows.
    QCoro::Task<void> start(std::stop_token stop);
    void search();
    void stopScan();
    QCoro::Task<void> scanSticks(std::stop_token stop);
    QCoro::Task<void> connectFlow(QUuid id, QString name, bool fallBackToSearch,
                                  std::stop_token stop);
    void watchStateChanges(std::shared_ptr<StickSession> session);
    QCoro::Task<void> followStateChanges(std::shared_ptr<StickSession> session, qint64 generation,
                                         std::stop_token stop);
    void sendQueuedIfReady();
    // Reads the previews of queued files not read yet or changed since, on a worker.
    QCoro::Task<void> lookAtQueue();
    // Sends the queue unless one of its files has a warning; then the queue waits in ready.
    QCoro::Task<void> sendUnlessWarned(std::stop_token stop);
    void keepThumbnails(const QList<QueuedDesign>& sent);
    QCoro::Task<void> listFlow();
    QCoro::Task<QList<StickFile>> prepareFiles();
    QCoro::Task<void> sendFlow(bool overwrite, std::stop_token stop);
    void failUnreadable(const std::exception_ptr& error);
    QCoro::Task<std::shared_ptr<StickSession>> reopen(QUuid id, qint64 generation);
    void applyPhase(const StickSendPhase& phase);
    QCoro::Task<void> diagnoseFailedSend(std::shared_ptr<StickLink> link, QUuid id,
                                         qint64 generation, bool linkLost, std::stop_token stop);
    QCoro::Task<void> deleteFlow(QStringList names, qint64 generation);

    // Whether a flow that began in the generation may still change the model.
    static bool isCurrent(const QPointer<StickModel>& self, qint64 generation);
    void runWork(Operation operation);
    void restartIdleTimer();
    void idleTimeout();
    void resume();
    void fail(const std::exception_ptr& error, Retry retry);
    void setSession(std::shared_ptr<StickSession> session, std::shared_ptr<StickLink> link);

    // Setters that notify only on a real change.
    void setStep(Step step);
    void setListFailed(bool failed);
    void setSticks(QList<StickPeripheral> sticks);
    void setSearchedLong(bool searchedLong);
    void setInfo(std::optional<StickInfo> info);
    void setStickFiles(QList<StickFileEntry> files);
    void setIsDeleting(bool deleting);
    void setQueued(QList<QUrl> queued);
    void restoreQueue();
    void updateQueuedDesigns();
    void setNotice(QString notice);
    void updateDerived();

    StickCentral& m_central;
    Clock& m_clock;
    Journal& m_journal;
    AppSettings& m_settings;
    SleepInhibitor& m_inhibitor;
    std::shared_ptr<WindowPairingPrompt> m_pairing;

    Step m_step;
    QString m_statusLine;
    DotState m_dotState = DotState::Idle;
    bool m_hasSession = false;
    bool m_listFailed = false;
    QList<StickPeripheral> m_sticks;
    bool m_searchedLong = false;
    std::optional<StickInfo> m_info;
    QList<StickFileEntry> m_stickFiles;
    QList<StickDesign> m_designs;
    bool m_isDeleting = false;
    QList<QUrl> m_queued;
    QList<QueuedDesign> m_queuedDesigns;
    QList<QueuedDesign> m_sentDesigns;
    // The previews of the queued files, read once per version of a file: a file is read again
    // only when its size or modification time changed.
    struct Look {
        qint64 size = 0;
        QDateTime modified;
        std::optional<DesignPreview> preview;
    };
    QHash<QString, Look> m_looks;
    DesignThumbnails m_thumbnails;
    QString m_notice;
    bool m_windowOpen = false;
    std::function<void()> m_openMainWindow;

    std::shared_ptr<StickSession> m_session;
    std::shared_ptr<StickLink> m_link;
    std::optional<QUuid> m_connectedID;
    qint64 m_generation = 0;
    std::optional<QList<StickFile>> m_preparedFiles;
    std::optional<OneShot<void>> m_lastConnect; // ends with the latest connection attempt
    int m_sendsRunning = 0;                     // sends holding the sleep inhibitor

    std::stop_source m_work;
    std::stop_source m_scan;
    std::stop_source m_stateTask;
    ClockTimer m_idleTimer;
    ClockTimer m_longSearchTimer;
};
