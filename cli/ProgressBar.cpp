#include "cli/ProgressBar.h"

#include "app/core/StickMessages.h"

#include <cmath>

namespace {

constexpr int barWidth = 30;

} // namespace

ProgressBar::ProgressBar(QTextStream& terminal, Clock& clock, qint64 totalBytes)
    : m_terminal(terminal)
    , m_clock(clock)
    , m_totalBytes(totalBytes) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::show(const StickSendPhase& phase) {
    if (const auto* sending = std::get_if<StickSendPhase::Sending>(&phase.value)) {
        m_fraction = sending->fraction;
        if (!m_start)
            m_start.emplace(m_clock.now(), m_fraction);
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
               << rateText() << activity << "\x1b[K" << Qt::flush;
    m_drawn = true;
}

QString ProgressBar::rateText() const {
    if (!m_start)
        return {};
    const double seconds = std::chrono::duration<double>(m_clock.now() - m_start->first).count();
    const double bytes = (m_fraction - m_start->second) * double(m_totalBytes);
    // Too early for a rate that means anything.
    if (seconds < 0.5 || bytes <= 0)
        return {};
    const double rate = bytes / seconds;
    const qint64 left = qint64(std::ceil((1 - m_fraction) * double(m_totalBytes) / rate));
    return QStringLiteral("%1/s, %2:%3 left  ")
        .arg(StickMessages::byteCount(quint64(rate)))
        .arg(left / 60)
        .arg(left % 60, 2, 10, QLatin1Char('0'));
}
