#pragma once

#include <QList>
#include <QString>
#include <QUrl>

class QWidget;

// The file chooser behind "Choose Files…" and "Send Files…": several files, no folders, shown
// filtered to the stitch and companion files the stick takes.
class FileChooser {
public:
    // The chosen files; empty when the person cancels.
    static QList<QUrl> choose(QWidget* parent);
    // The one filter offered: every stitch and companion extension.
    static QString nameFilter();
};
