#include "window_centring.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace lexorra {

namespace {

void centre(QWidget *window, const QMargins &frame)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    QRect outer(QPoint(0, 0), window->size().grownBy(frame));
    outer.moveCenter(screen->availableGeometry().center());
    window->setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), window->size()));
}

class Centring final : public QObject
{
public:
    explicit Centring(QWidget *window) : QObject(window), m_window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            if (!m_shown && !event->spontaneous()) {
                m_shown = true;
                centre(m_window, QMargins());
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::NonClientAreaMouseButtonPress:
            if (m_shown)
                deleteLater();
            break;
        default:
            if (m_shown)
                centreOnceFramed();
            break;
        }
        return false;
    }

private:
    void centreOnceFramed()
    {
        const QWindow *handle = m_window->windowHandle();
        if (!handle)
            return;
        // While the frame is being built, the margins read can be anything; a
        // frame has small, non-negative borders.
        const QMargins frame = handle->frameMargins();
        const auto plausible = [](int border) { return border >= 0 && border < 100; };
        if (frame.isNull() || !plausible(frame.left()) || !plausible(frame.top()) || !plausible(frame.right()) ||
            !plausible(frame.bottom()))
            return;
        QWidget *window = m_window;
        QMetaObject::invokeMethod(
            window, [window, frame] { centre(window, frame); }, Qt::QueuedConnection);
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget *m_window;
    bool m_shown = false;
};

} // namespace

void centreOnScreenWhenShown(QWidget *window)
{
    new Centring(window);
}

} // namespace lexorra
