#include "window_centring.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
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

// A window manager may report passing frame sizes while it builds the frame,
// so the window is centred again whenever the frame it reports changes, until
// the user starts to use the window or it closes.
class Centring final : public QObject
{
public:
    explicit Centring(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_stopped)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::NonClientAreaMouseButtonPress:
            // The user's first press or key anywhere in the window.
            if (m_shown && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == m_window)
                stop();
            break;
        case QEvent::Close:
        case QEvent::Hide:
            if (watched == m_window && m_shown)
                stop();
            break;
        case QEvent::Show:
            if (watched == m_window && !m_shown && !event->spontaneous()) {
                m_shown = true;
                centre(m_window, QMargins());
            }
            break;
        default:
            if (watched == m_window && m_shown)
                centreIfFrameChanged();
            break;
        }
        return false;
    }

private:
    void centreIfFrameChanged()
    {
        const QWindow *handle = m_window->windowHandle();
        if (!handle)
            return;
        const QMargins frame = handle->frameMargins();
        const auto plausible = [](int border) { return border >= 0 && border < 100; };
        if (frame == m_frame || !plausible(frame.left()) || !plausible(frame.top()) || !plausible(frame.right()) ||
            !plausible(frame.bottom()))
            return;
        m_frame = frame;
        QPointer<Centring> self(this);
        QMetaObject::invokeMethod(
            m_window,
            [self, frame] {
                if (self && !self->m_stopped)
                    centre(self->m_window, frame);
            },
            Qt::QueuedConnection);
    }

    void stop()
    {
        m_stopped = true;
        qApp->removeEventFilter(this);
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget *m_window;
    QMargins m_frame;
    bool m_shown = false;
    bool m_stopped = false;
};

} // namespace

bool canPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(u"wayland");
}

void centreOnScreenWhenShown(QWidget *window)
{
    if (canPlaceWindows())
        new Centring(window);
}

} // namespace lexorra
