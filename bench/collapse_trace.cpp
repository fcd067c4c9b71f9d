// Opens the About window and closes it through its picture button, CLOSES
// times (1 when not given), on whatever window system Qt runs on:
//
//   collapse_trace [CLOSES]
//
// Prints every move and resize of the first close's collapse with the time it
// came, then how long each close took from the click until the window was
// gone, and the median. Run it on a real display, or under
// x11_tests/run_on_x11.sh or wayland_tests/run_on_wayland.sh, to see the
// collapse as the window system applies it. The steps themselves are checked
// on every test run by x11_tests/tst_x11_program and wayland_tests.
#include "frmab_out.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

class GeometryLog final : public QObject
{
public:
    explicit GeometryLog(QWidget *window) : m_window(window)
    {
        m_clock.start();
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const char *kind = event->type() == QEvent::Resize ? "resize"
                           : event->type() == QEvent::Move ? "move"
                                                           : nullptr;
        if (kind) {
            const QRect frame = m_window->frameGeometry();
            std::printf("%8.2f ms  %-6s  frame %d,%d %dx%d  client %dx%d\n", m_clock.nsecsElapsed() / 1e6, kind,
                        frame.x(), frame.y(), frame.width(), frame.height(), m_window->width(), m_window->height());
        }
        return false;
    }

private:
    QWidget *m_window;
    QElapsedTimer m_clock;
};

/// Handles events until @p done holds or @p ms have passed.
void runUntil(const std::function<bool()> &done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

/// Opens an About window, closes it by a click on its picture button and
/// returns how long the close took, in milliseconds.
double closeOnce(bool trace)
{
    QPointer<lexorra::FrmabOut> about = new lexorra::FrmabOut;
    about->show();
    runUntil([&] { return about->windowHandle() && about->windowHandle()->isExposed(); }, 5000);
    // A window manager frames and places the window after it is first shown.
    runUntil([] { return false; }, 300);
    if (trace) {
        const QRect frame = about->frameGeometry();
        std::printf("%s, before: frame %d,%d %dx%d  client %dx%d\n", qPrintable(QGuiApplication::platformName()),
                    frame.x(), frame.y(), frame.width(), frame.height(), about->width(), about->height());
    }
    std::optional<GeometryLog> log;
    if (trace)
        log.emplace(about);

    QElapsedTimer clock;
    clock.start();
    about->findChild<QPushButton *>(u"Command1"_s)->click();
    const double ms = clock.nsecsElapsed() / 1e6;

    log.reset();
    runUntil([&] { return about.isNull(); }, 5000);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int closes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    std::vector<double> times;
    for (int i = 0; i < closes; ++i) {
        times.push_back(closeOnce(i == 0));
        std::printf("close %d took %.1f ms\n", i + 1, times.back());
    }
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    const double median = times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    std::printf("median of %d closes on %s: %.1f ms\n", closes, qPrintable(QGuiApplication::platformName()), median);
    return 0;
}
