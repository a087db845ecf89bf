#include "app/ui/AppShell.h"

#include "app/core/AppSettings.h"
#include "app/core/Journal.h"
#include "app/core/StickModel.h"
#include "app/ui/MainWindow.h"
#include "app/ui/SettingsDialog.h"
#include "app/ui/TrayItem.h"

#include <QCoreApplication>

AppShell::AppShell(StickModel& model, AppSettings& settings, Journal& journal, bool trayAvailable,
                   QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_settings(settings)
    , m_journal(journal)
    , m_trayAvailable(trayAvailable)
    , m_window(std::make_unique<MainWindow>(model))
    , m_tray(std::make_unique<TrayItem>(model)) {
    m_tray->setShown(m_settings.menuBar());
    connect(m_window.get(), &MainWindow::closed, this, [this] {
        if (!keepsRunningWithoutWindow())
            QCoreApplication::quit();
    });
    connect(m_window.get(), &MainWindow::preferencesRequested, this, [this] { showPreferences(); });
    connect(m_window.get(), &MainWindow::logRequested, this, [this] { m_journal.reveal(); });
    connect(m_window.get(), &MainWindow::quitRequested, qApp, &QCoreApplication::quit);
    connect(m_tray.get(), &TrayItem::quitRequested, qApp, &QCoreApplication::quit);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppShell::quitting);
}

AppShell::~AppShell() = default;

SettingsDialog& AppShell::showPreferences() {
    if (!m_preferences) {
        m_preferences = new SettingsDialog(m_settings, m_trayAvailable, m_window.get());
        m_preferences->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_preferences, &SettingsDialog::menuBarChanged, m_tray.get(), &TrayItem::setShown);
        connect(m_preferences, &SettingsDialog::largestHoopChanged, &m_model,
                [this](const std::optional<HoopSize>& hoop) { m_model.setLargestHoop(hoop); });
    }
    m_preferences->show();
    m_preferences->raise();
    m_preferences->activateWindow();
    return *m_preferences;
}

void AppShell::openFiles(const QList<QUrl>& files) {
    m_model.showMainWindow();
    if (!files.isEmpty())
        m_model.accept(files);
}

bool AppShell::keepsRunningWithoutWindow() const {
    return m_trayAvailable && m_settings.menuBar();
}

void AppShell::quitting() {
    m_model.disconnectStick();
    m_journal.write(QStringLiteral("quit"));
}
