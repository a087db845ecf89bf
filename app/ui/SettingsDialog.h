#pragma once

#include <QDialog>

class AppSettings;
class QCheckBox;

// Preferences: the one setting, whether Brindle Stick lives in the system tray. Without a tray on
// the desktop the choice is not offered, and the dialog says why.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(AppSettings& settings, bool trayAvailable, QWidget* parent = nullptr);

    QCheckBox* trayToggle() const { return m_toggle; }

signals:
    // The setting was changed and written.
    void menuBarChanged(bool shown);

private:
    AppSettings& m_settings;
    QCheckBox* m_toggle;
};
