#include "progress.h"

#include "import_error.h"

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void recordSignal(int number)
{
    g_signal = number;
}

// Redraws per second.
constexpr qint64 kDrawIntervalMs = 250;

} // namespace

void installInterruptHandlers()
{
    struct sigaction action = {};
    action.sa_handler = recordSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking read returns early, and the loop around it
    // then sees the signal.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int pendingInterrupt()
{
    return g_signal;
}

void throwIfInterrupted()
{
    if (g_signal != 0)
        throw Interrupted{g_signal};
}

void pauseAt(const char *point)
{
    // Once: a point passed again goes on.
    static QByteArray wanted = qgetenv("LEXORRA_IMPORT_PAUSE_AT");
    if (wanted.isEmpty() || wanted != point)
        return;
    wanted.clear();
    std::fprintf(stderr, "paused at %s\n", point);
    std::fflush(stderr);
    // Until standard input gives a byte or ends, or a signal comes.
    char byte = 0;
    (void)::read(STDIN_FILENO, &byte, 1);
}

void Progress::begin(const QString &phase, qint64 total, const QString &unit)
{
    m_phase = phase;
    m_unit = unit;
    m_total = total;
    m_done = 0;
    if (!m_clock.isValid())
        m_clock.start();
    m_phaseStartMs = m_clock.elapsed();
    m_lastDrawMs = -kDrawIntervalMs;
    m_checkCountdown = 0;
}

void Progress::advance(qint64 steps)
{
    m_done += steps;
    // Looking at the clock for every step would cost more than the step.
    if (--m_checkCountdown > 0)
        return;
    m_checkCountdown = 1024;
    throwIfInterrupted();
    if (m_shown && m_clock.elapsed() - m_lastDrawMs >= kDrawIntervalMs)
        draw();
}

void Progress::draw()
{
    m_lastDrawMs = m_clock.elapsed();
    const int percent = m_total > 0 ? static_cast<int>(std::min<qint64>(100, m_done * 100 / m_total)) : 0;
    const double seconds = double(std::max<qint64>(1, m_clock.elapsed() - m_phaseStartMs)) / 1000.0;
    const QString line = u"\r%1: %2%, %3 %4/s\x1b[K"_s.arg(m_phase)
                             .arg(percent, 3)
                             .arg(static_cast<qint64>(static_cast<double>(m_done) / seconds))
                             .arg(m_unit);
    std::fputs(line.toLocal8Bit().constData(), m_stream);
    std::fflush(m_stream);
    m_drawn = true;
}

void Progress::clear()
{
    if (!m_drawn)
        return;
    std::fputs("\r\x1b[K", m_stream);
    std::fflush(m_stream);
    m_drawn = false;
}

} // namespace lexorra::import
