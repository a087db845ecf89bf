#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

class StickModel;

// The system tray item: the stick icon with the connection's coloured dot, a tooltip with the
// stick's name and status, and a menu rebuilt each time it opens (the stick's name and status,
// open the window, send files, release or connect, quit).
class TrayItem : public QObject {
    Q_OBJECT

public:
    explicit TrayItem(StickModel& model, QObject* parent = nullptr);

    // Shows or removes the icon from the tray ("menuBar").
    void setShown(bool shown);
    bool isShown() const;

    QString toolTip() const { return m_icon.toolTip(); }
    QMenu& menu() { return m_menu; }
    // Fills the menu for the model's state now; runs each time the menu is about to open.
    void rebuildMenu();

signals:
    void quitRequested();

private:
    void refresh();

    StickModel& m_model;
    QSystemTrayIcon m_icon;
    QMenu m_menu;
};
