#pragma once

#include "app/core/HoopSize.h"

#include <QDialog>

#include <optional>

class AppSettings;
class QCheckBox;
class QComboBox;
class QSpinBox;
class QWidget;

// Preferences: whether Brindle Stick lives in the system tray (without a tray on the desktop the
// choice is not offered, and the dialog says why), and the largest hoop of the machine, which
// designs are checked against before they are sent.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(AppSettings& settings, bool trayAvailable, QWidget* parent = nullptr);

    QCheckBox* trayToggle() const { return m_toggle; }
    QComboBox* hoopChoice() const { return m_hoop; }
    QSpinBox* hoopWidth() const { return m_width; }
    QSpinBox* hoopHeight() const { return m_height; }

signals:
    // The setting was changed and written.
    void menuBarChanged(bool shown);
    // The hoop was chosen; none for no limit. The receiver keeps it.
    void largestHoopChanged(const std::optional<HoopSize>& hoop);

private:
    AppSettings& m_settings;
    std::optional<HoopSize> chosenHoop() const;

    QCheckBox* m_toggle;
    QComboBox* m_hoop;
    QWidget* m_custom;
    QSpinBox* m_width;
    QSpinBox* m_height;
};
