#include "empty_title.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <qguiapplication_platform.h>

#ifdef LEXORRA_HAVE_XCB
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>
#endif

namespace lexorra {

namespace {

#ifdef LEXORRA_HAVE_XCB
xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}
#endif

// Writes an empty title for the window's native window, both the Unicode one
// that window managers read first and the older one they fall back to. The
// platform plugin only writes titles when the window is created and when its
// title is set, and both happen before the events that call this.
void writeEmptyTitle(QWidget *window)
{
#ifdef LEXORRA_HAVE_XCB
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window->testAttribute(Qt::WA_WState_Created) || !window->windowTitle().isEmpty())
        return;
    xcb_connection_t *connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (!connection || id == XCB_WINDOW_NONE)
        return;
    static const xcb_atom_t netWmName = internAtom(connection, "_NET_WM_NAME");
    static const xcb_atom_t utf8String = internAtom(connection, "UTF8_STRING");
    if (netWmName != XCB_ATOM_NONE && utf8String != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmName, utf8String, 8, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(connection);
#else
    (void)window;
#endif
}

class EmptyTitleKeeper final : public QObject
{
public:
    explicit EmptyTitleKeeper(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        writeEmptyTitle(window);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A native window is made (or made again) before the widget hears of
        // its new id, and before its first showing maps it; a new title has
        // reached the window system before the widget hears of the change.
        if (watched == m_window && (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show ||
                                    event->type() == QEvent::WindowTitleChange))
            writeEmptyTitle(m_window);
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

void keepEmptyTitleEmpty(QWidget *window)
{
    if (window && window->isWindow())
        new EmptyTitleKeeper(window);
}

} // namespace lexorra
