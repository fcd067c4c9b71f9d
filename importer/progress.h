#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace lexorra::import {

/// The progress line on standard error: per cent done and entries per second,
/// redrawn a few times a second, and only when it is shown at all. Every step
/// also checks whether a signal asked the import to stop.
class Progress final
{
public:
    /// @p shown false keeps the line off (a quiet run, or no terminal).
    explicit Progress(bool shown, std::FILE *stream = stderr) : m_shown(shown), m_stream(stream) {}
    ~Progress() { clear(); }
    Q_DISABLE_COPY_MOVE(Progress)

    /// Starts a phase of @p total steps, one step per entry unless @p unit
    /// names another.
    void begin(const QString &phase, qint64 total, const QString &unit = QStringLiteral("entries"));
    /// Moves @p steps further; throws Interrupted when asked to stop.
    void advance(qint64 steps = 1);
    /// Removes the line from the terminal.
    void clear();

private:
    void draw();

    bool m_shown;
    std::FILE *m_stream;
    QString m_phase;
    QString m_unit;
    qint64 m_total = 0;
    qint64 m_done = 0;
    qint64 m_phaseStartMs = 0;
    qint64 m_checkCountdown = 0;
    bool m_drawn = false;
    QElapsedTimer m_clock;
    qint64 m_lastDrawMs = -1000;
};

} // namespace lexorra::import
