#pragma once

#include "SendKit/async/Clock.h"
#include "SendKit/send/StickSendPhase.h"

#include <QString>
#include <QTextStream>

#include <chrono>
#include <optional>
#include <utility>

// A send's progress drawn on one terminal line and redrawn in place: a bar over all files, the
// percentage, the rate and the time left, and what is happening to which file.
class ProgressBar {
public:
    // totalBytes: the bytes of all files of the send; the clock measures the rate.
    ProgressBar(QTextStream& terminal, Clock& clock, qint64 totalBytes);
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

    // "154.2 kB/s, 0:07 left" once the data has run long enough to tell; empty before.
    QString rateText() const;

    QTextStream& m_terminal;
    Clock& m_clock;
    qint64 m_totalBytes;
    // When data began to flow, at which fraction.
    std::optional<std::pair<std::chrono::nanoseconds, double>> m_start;
    double m_fraction = 0;
    bool m_drawn = false;
};
