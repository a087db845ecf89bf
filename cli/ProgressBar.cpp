#include "cli/ProgressBar.h"

#include <cmath>

namespace {

constexpr int barWidth = 30;

} // namespace

ProgressBar::ProgressBar(QTextStream& terminal)
    : m_terminal(terminal) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::show(const StickSendPhase& phase) {
    if (const auto* sending = std::get_if<StickSendPhase::Sending>(&phase.value)) {
        m_fraction = sending->fraction;
        draw(QStringLiteral("sending ") + sending->file);
    } else if (const auto* verifying = std::get_if<StickSendPhase::Verifying>(&phase.value)) {
        draw(QStringLiteral("verifying ") + verifying->file);
    } else {
        draw(QStringLiteral("checking the stick"));
    }
}

void ProgressBar::finish() {
    if (m_drawn)
        m_terminal << '\n' << Qt::flush;
    m_drawn = false;
}

void ProgressBar::clear() {
    if (m_drawn)
        m_terminal << "\r\x1b[K" << Qt::flush;
    m_drawn = false;
}

void ProgressBar::draw(const QString& activity) {
    const int filled = int(std::floor(m_fraction * barWidth));
    // Erasing to the end of the line keeps a shorter text from leaving the tail of a longer one.
    m_terminal << '\r' << '[' << QString(filled, QLatin1Char('#'))
               << QString(barWidth - filled, QLatin1Char('.')) << "] "
               << QString::number(int(std::floor(m_fraction * 100))).rightJustified(3) << "%  "
               << activity << "\x1b[K" << Qt::flush;
    m_drawn = true;
}
