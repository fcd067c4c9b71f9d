#pragma once

// What the X server shows, read through a connection of the test's own, the
// way any other client on the display (a pager, xprop, xwininfo) sees it; and
// input as a user gives it, synthesized on the server with xdotool.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

struct xcb_connection_t;

namespace lexorra::testing {

using XWindow = std::uint32_t;

class XScreen final
{
public:
    /// Connects to $DISPLAY; isValid() tells whether that worked.
    XScreen();
    ~XScreen();
    XScreen(const XScreen &) = delete;
    XScreen &operator=(const XScreen &) = delete;

    [[nodiscard]] bool isValid() const { return m_connection != nullptr; }

    /// The root window's size.
    [[nodiscard]] QSize screenSize() const;
    /// The area that windows are placed in (_NET_WORKAREA of the first desktop).
    [[nodiscard]] QRect workArea() const;

    /// The managed windows, oldest first (_NET_CLIENT_LIST).
    [[nodiscard]] QList<XWindow> clients() const;
    /// The managed windows from bottom to top (_NET_CLIENT_LIST_STACKING).
    [[nodiscard]] QList<XWindow> stacking() const;
    /// The focused window as the window manager announces it.
    [[nodiscard]] XWindow activeWindow() const;
    /// The managed windows whose WM_CLASS instance is @p instance.
    [[nodiscard]] QList<XWindow> clientsOf(const QByteArray &instance) const;

    /// The bytes of a text property, or nothing when the window lacks it.
    [[nodiscard]] std::optional<QByteArray> textProperty(XWindow window, const char *property) const;
    /// A text property decoded as its type says (ICCCM): STRING in Latin-1,
    /// UTF8_STRING in UTF-8, and COMPOUND_TEXT when it holds Latin-1 alone.
    /// Nothing when the window lacks it; a text naming the type when the
    /// type is none of these.
    [[nodiscard]] std::optional<QString> text(XWindow window, const char *property) const;
    /// A window property holding one window id (WM_TRANSIENT_FOR), or 0.
    [[nodiscard]] XWindow windowProperty(XWindow window, const char *property) const;
    /// The window types it asks for (_NET_WM_WINDOW_TYPE), as atom names.
    [[nodiscard]] QList<QByteArray> windowTypes(XWindow window) const;

    /// The window's own area on the screen, in root coordinates.
    [[nodiscard]] QRect clientRect(XWindow window) const;
    /// The frame's borders as the window manager announces them.
    [[nodiscard]] std::optional<QMargins> frameExtents(XWindow window) const;
    /// The whole window, frame included.
    [[nodiscard]] QRect frameRect(XWindow window) const;
    /// Whether the window is mapped and so can be on the screen.
    [[nodiscard]] bool isViewable(XWindow window) const;

    /// What the screen shows in @p area (root coordinates), or a null image.
    [[nodiscard]] QImage grab(QRect area) const;

    /// Binds @p keysym to a key that has none, unless a key has it already,
    /// so that xdotool types it without changing the keyboard for that one
    /// key press: a client that reads the keyboard anew when it changes may
    /// read it back changed once more, and miss the key. Bind before
    /// starting the client.
    bool bindKeysym(std::uint32_t keysym);

    /// Asks the window manager to close @p window, as its close box does
    /// (_NET_CLOSE_WINDOW); sent at once, without waiting for anything.
    void requestClose(XWindow window);

    /// From now on, records each size the server gives @p window.
    void watchSizes(XWindow window);
    /// Every new size reported for the watched window so far, in order,
    /// repeats of the same size left out.
    [[nodiscard]] QList<QSize> reportedSizes();

private:
    struct Property
    {
        std::uint32_t type;
        QByteArray bytes;
    };
    [[nodiscard]] std::optional<Property> property(XWindow window, const char *name) const;
    [[nodiscard]] std::uint32_t atom(const char *name) const;
    [[nodiscard]] QList<std::uint32_t> cardinals(XWindow window, const char *property, std::uint32_t type) const;
    void readEvents();

    xcb_connection_t *m_connection = nullptr;
    XWindow m_root = 0;
    XWindow m_watched = 0;
    QList<QSize> m_sizes;
};

/// Input through xdotool, as a user gives it: each call returns once the
/// server has the events.
namespace input {
bool moveTo(QPoint point);
bool click(QPoint point);
bool typeText(const QString &text);
bool key(const QString &name);
/// Any xdotool command line, for a chain of moves and clicks sent at once.
bool xdotool(const QStringList &arguments);
} // namespace input

} // namespace lexorra::testing
