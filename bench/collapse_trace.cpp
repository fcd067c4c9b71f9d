// Opens the About window, closes it, and prints every move and resize of its
// collapse with the time it came, then how long the whole close took. Run it on
// a real display with a window manager to see the collapse as the window
// system applies it: build/release/bench/collapse_trace. The order and size of
// the steps are checked on every test run by x11_tests/tst_x11_program.
#include "frmab_out.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <cstdio>

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
            std::printf("%5lld ms  %-6s  frame %d,%d %dx%d  client %dx%d\n", static_cast<long long>(m_clock.elapsed()),
                        kind, frame.x(), frame.y(), frame.width(), frame.height(), m_window->width(),
                        m_window->height());
        }
        return false;
    }

private:
    QWidget *m_window;
    QElapsedTimer m_clock;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QPointer<lexorra::FrmabOut> about = new lexorra::FrmabOut;
    about->show();
    // Give the window manager time to frame and place the window first.
    QTimer::singleShot(1000, &app, [&] {
        const QRect frame = about->frameGeometry();
        std::printf("before: frame %d,%d %dx%d  client %dx%d\n", frame.x(), frame.y(), frame.width(), frame.height(),
                    about->width(), about->height());
        GeometryLog log(about);
        QElapsedTimer clock;
        clock.start();
        about->close();
        std::printf("the close took %lld ms\n", static_cast<long long>(clock.elapsed()));
        QTimer::singleShot(200, &app, &QApplication::quit);
    });
    return QApplication::exec();
}
