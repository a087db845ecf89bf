#pragma once

#include "SendKit/send/StickSendPhase.h"

#include <QString>
#include <QTextStream>

// A send's progress drawn on one terminal line and redrawn in place: a bar over all files, the
// percentage, and what is happening to which file.
class ProgressBar {
public:
    explicit ProgressBar(QTextStream& terminal);
    // Ends the line, so that an error printed after a failed send starts on a line of its own.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void show(const StickSendPhase& phase);
    // Ends the bar's line, when a bar was drawn, so that what follows starts on a line of its own.
    void finish();
    // Erases the bar, so that a question can take its line.
    void clear();

private:
    void draw(const QString& activity);

    QTextStream& m_terminal;
    double m_fraction = 0;
    bool m_drawn = false;
};
