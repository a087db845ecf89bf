#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

class AppSettings;
class Journal;
class MainWindow;
class SettingsDialog;
class StickModel;
class TrayItem;

// Everything around the main window: the window itself, the tray item and the preferences, files
// handed over from outside, and what closing the window and quitting mean. With the tray item,
// closing the window leaves Brindle Stick running; without it (switched off, or no tray on the
// desktop), closing the window quits.
class AppShell : public QObject {
    Q_OBJECT

public:
    AppShell(StickModel& model, AppSettings& settings, Journal& journal, bool trayAvailable,
             QObject* parent = nullptr);
    ~AppShell() override;

    MainWindow& window() const { return *m_window; }
    TrayItem& tray() const { return *m_tray; }
    // The preferences, opened (or brought forward) on demand.
    SettingsDialog& showPreferences();

    // Files opened with the application (its command line, a second instance): the window comes
    // forward and the model takes them.
    void openFiles(const QList<QUrl>& files);
    // Whether the application stays when its window closes.
    bool keepsRunningWithoutWindow() const;

private:
    // The application is quitting: let the stick go and say so in the journal.
    void quitting();

    StickModel& m_model;
    AppSettings& m_settings;
    Journal& m_journal;
    bool m_trayAvailable;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<TrayItem> m_tray;
    QPointer<SettingsDialog> m_preferences;
};
