#include "app/ui/SettingsDialog.h"

#include "app/core/AppSettings.h"
#include "app/ui/Look.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

SettingsDialog::SettingsDialog(AppSettings& settings, bool trayAvailable, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_toggle(new QCheckBox(tr("Show in the system tray"), this)) {
    setWindowTitle(tr("Preferences"));
    setFixedWidth(400);
    m_toggle->setChecked(m_settings.menuBar());
    m_toggle->setEnabled(trayAvailable);
    connect(m_toggle, &QCheckBox::toggled, this, [this](bool shown) {
        m_settings.setMenuBar(shown);
        emit menuBarChanged(shown);
    });
    QLabel* explanation =
        Look::label(tr("With the tray icon, closing the window keeps Brindle Stick running; the "
                       "stick is let go until you open the window again."));
    Look::makeCallout(explanation);
    Look::makeSecondary(explanation);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(8);
    layout->addWidget(m_toggle);
    layout->addWidget(explanation);
    if (!trayAvailable) {
        QLabel* missing = Look::label(
            tr("This desktop has no system tray, so closing the window quits Brindle Stick."));
        Look::makeCallout(missing);
        layout->addWidget(missing);
    }
}
