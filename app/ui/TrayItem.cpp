#include "app/ui/TrayItem.h"

#include "app/core/StickModel.h"
#include "app/ui/Artwork.h"

#include <QGuiApplication>
#include <QPalette>

namespace {
// Panels follow the desktop's theme; a dark window colour means a dark panel.
bool darkTheme() {
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}
} // namespace

TrayItem::TrayItem(StickModel& model, QObject* parent)
    : QObject(parent)
    , m_model(model) {
    m_icon.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, &TrayItem::rebuildMenu);
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    m_model.showMainWindow();
            });
    for (auto signal :
         {&StickModel::dotStateChanged, &StickModel::statusLineChanged, &StickModel::infoChanged})
        connect(&m_model, signal, this, &TrayItem::refresh);
    refresh();
    rebuildMenu();
}

void TrayItem::setShown(bool shown) {
    m_icon.setVisible(shown);
}

bool TrayItem::isShown() const {
    return m_icon.isVisible();
}

void TrayItem::refresh() {
    const auto& info = m_model.info();
    m_icon.setIcon(Artwork::tray(m_model.dotState(), darkTheme()));
    m_icon.setToolTip((info ? info->deviceName : tr("Brindle Stick")) + QStringLiteral(" — ") +
                      m_model.statusLine());
}

void TrayItem::rebuildMenu() {
    m_menu.clear();
    const auto& info = m_model.info();
    m_menu.addAction(info ? info->deviceName : tr("Brindle Stick"))->setEnabled(false);
    m_menu.addAction(m_model.statusLine())->setEnabled(false);
    m_menu.addSeparator();
    m_menu.addAction(tr("Open Brindle Stick"), this, [this] { m_model.showMainWindow(); });
    m_menu.addAction(tr("Send Files…"), this, [this] {
        m_model.showMainWindow();
        m_model.chooseFiles();
    });
    m_menu.addSeparator();
    if (m_model.hasSession()) {
        m_menu.addAction(tr("Release the Stick"), this, [this] { m_model.release(); });
    } else {
        m_menu.addAction(tr("Connect"), this, [this] {
            m_model.showMainWindow();
            m_model.reconnect();
        });
    }
    m_menu.addSeparator();
    m_menu.addAction(tr("Quit Brindle Stick"), QKeySequence::Quit, this, &TrayItem::quitRequested);
}
