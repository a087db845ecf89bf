#pragma once

#include "app/core/HoopSize.h"

#include <QSet>
#include <QSettings>
#include <QStringList>
#include <QUuid>

#include <optional>

// The per-user settings of the application and the terminal tool, in one QSettings file
// (organisation "Brindle", application "Brindle Stick"), so the tool and the window remember the
// same stick.
class AppSettings {
public:
    AppSettings();

    // Whether the tray item is shown ("menuBar", default true).
    bool menuBar() const;
    void setMenuBar(bool shown);

    // The stick connected last ("stick.lastID"), if any.
    std::optional<QUuid> lastStickID() const;
    void setLastStickID(const std::optional<QUuid>& id);

    // The sticks the person has confirmed by the name on their display ("stick.confirmedIDs").
    QSet<QUuid> confirmedStickIDs() const;
    void setConfirmedStickIDs(const QSet<QUuid>& ids);

    // The paths of the files waiting to be sent ("queue.paths"), written on every change of the
    // queue so that neither quitting nor a crash loses one.
    QStringList queuedPaths() const;
    void setQueuedPaths(const QStringList& paths);

    // The largest hoop of the person's machine ("hoop.largest"); none, the default, for no limit.
    std::optional<HoopSize> largestHoop() const;
    void setLargestHoop(const std::optional<HoopSize>& hoop);

private:
    mutable QSettings m_settings;
};
