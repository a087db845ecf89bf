#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class StickModel;

// The window's last line: the stick's firmware (a link to the update page when it is older than
// the one recommended), or the application's version while no stick is connected; and the link
// to the iPad design app.
class WindowFooter : public QWidget {
    Q_OBJECT

public:
    explicit WindowFooter(StickModel& model, QWidget* parent = nullptr);

    // The firmware or version text as shown, and whether it is the update link.
    QString versionText() const;
    bool offersUpdate() const;

private:
    void refresh();

    StickModel& m_model;
    QLabel* m_version;
    QPushButton* m_update;
};
