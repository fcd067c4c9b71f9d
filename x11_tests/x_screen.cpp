#include "x_screen.h"

#include <QProcess>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace lexorra::testing {

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace

XScreen::XScreen()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    m_connection = connection;
    m_root = it.data->root;
}

XScreen::~XScreen()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

std::uint32_t XScreen::atom(const char *name) const
{
    const auto cookie = xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    return reply ? reply->atom : std::uint32_t(XCB_ATOM_NONE);
}

QList<std::uint32_t> XScreen::cardinals(XWindow window, const char *property, std::uint32_t type) const
{
    const auto cookie = xcb_get_property(m_connection, 0, window, atom(property), type, 0, 4096);
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    QList<std::uint32_t> values;
    if (!reply || reply->format != 32)
        return values;
    const auto *data = static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i)
        values.append(data[i]);
    return values;
}

QSize XScreen::screenSize() const
{
    Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_root), nullptr));
    return reply ? QSize(reply->width, reply->height) : QSize();
}

QRect XScreen::workArea() const
{
    const QList<std::uint32_t> area = cardinals(m_root, "_NET_WORKAREA", XCB_ATOM_CARDINAL);
    if (area.size() < 4)
        return QRect(QPoint(0, 0), screenSize());
    return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
}

QList<XWindow> XScreen::clients() const
{
    return cardinals(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
}

QList<XWindow> XScreen::stacking() const
{
    return cardinals(m_root, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
}

XWindow XScreen::activeWindow() const
{
    const QList<std::uint32_t> active = cardinals(m_root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    return active.isEmpty() ? 0 : active.first();
}

QList<XWindow> XScreen::clientsOf(const QByteArray &instance) const
{
    QList<XWindow> found;
    for (const XWindow window : clients()) {
        // WM_CLASS holds the instance name, a NUL, the class name, a NUL.
        const std::optional<QByteArray> wmClass = textProperty(window, "WM_CLASS");
        if (wmClass && wmClass->split('\0').value(0) == instance)
            found.append(window);
    }
    return found;
}

std::optional<XScreen::Property> XScreen::property(XWindow window, const char *name) const
{
    const auto cookie = xcb_get_property(m_connection, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    return Property{reply->type, QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                                            xcb_get_property_value_length(reply.get()))};
}

std::optional<QByteArray> XScreen::textProperty(XWindow window, const char *property) const
{
    const std::optional<Property> value = this->property(window, property);
    return value ? std::optional(value->bytes) : std::nullopt;
}

std::optional<QString> XScreen::text(XWindow window, const char *property) const
{
    const std::optional<Property> value = this->property(window, property);
    if (!value)
        return std::nullopt;
    if (value->type == XCB_ATOM_STRING)
        return QString::fromLatin1(value->bytes);
    if (value->type == atom("UTF8_STRING"))
        return QString::fromUtf8(value->bytes);
    // Compound text starts in Latin-1; only escape sequences switch it to
    // other character sets.
    if (value->type == atom("COMPOUND_TEXT") && !value->bytes.contains('\x1b'))
        return QString::fromLatin1(value->bytes);
    return u"(a text of type %1)"_s.arg(value->type);
}

XWindow XScreen::windowProperty(XWindow window, const char *property) const
{
    const QList<std::uint32_t> value = cardinals(window, property, XCB_ATOM_WINDOW);
    return value.isEmpty() ? 0 : value.first();
}

QList<QByteArray> XScreen::windowTypes(XWindow window) const
{
    QList<QByteArray> names;
    for (const std::uint32_t type : cardinals(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM)) {
        Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, type), nullptr));
        if (reply)
            names.append(QByteArray(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get())));
    }
    return names;
}

QRect XScreen::clientRect(XWindow window) const
{
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
    if (!geometry || !origin)
        return QRect();
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

std::optional<QMargins> XScreen::frameExtents(XWindow window) const
{
    // Left, right, top, bottom.
    const QList<std::uint32_t> extents = cardinals(window, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (extents.size() != 4)
        return std::nullopt;
    return QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3]));
}

QRect XScreen::frameRect(XWindow window) const
{
    return clientRect(window).marginsAdded(frameExtents(window).value_or(QMargins()));
}

bool XScreen::isViewable(XWindow window) const
{
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

QImage XScreen::grab(QRect area) const
{
    const auto cookie =
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<std::int16_t>(area.x()),
                      static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
                      static_cast<std::uint16_t>(area.height()), ~0u);
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(m_connection, cookie, nullptr));
    const qsizetype bytes = qsizetype(area.width()) * area.height() * 4;
    if (!reply || reply->depth != 24 || xcb_get_image_data_length(reply.get()) < bytes)
        return QImage();
    // A 24-bit TrueColor screen keeps each pixel in 32 bits, blue in the low byte.
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        std::memcpy(image.scanLine(y), xcb_get_image_data(reply.get()) + qsizetype(y) * area.width() * 4,
                    std::size_t(area.width()) * 4);
    return image;
}

bool XScreen::bindKeysym(std::uint32_t keysym)
{
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, std::uint8_t(count)), nullptr));
    if (!mapping)
        return false;
    const int perKey = mapping->keysyms_per_keycode;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    int spare = -1;
    for (int key = 0; key < count; ++key) {
        const xcb_keysym_t *first = keysyms + std::ptrdiff_t(key) * perKey;
        if (std::find(first, first + perKey, keysym) != first + perKey)
            return true;
        if (std::all_of(first, first + perKey, [](xcb_keysym_t k) { return k == 0; }))
            spare = key;
    }
    if (spare < 0)
        return false;
    // Unshifted and shifted alike.
    std::vector<xcb_keysym_t> bound(std::size_t(perKey), 0);
    bound[0] = keysym;
    if (perKey > 1)
        bound[1] = keysym;
    const auto cookie = xcb_change_keyboard_mapping_checked(m_connection, 1, xcb_keycode_t(setup->min_keycode + spare),
                                                            std::uint8_t(perKey), bound.data());
    Reply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
    return !error;
}

void XScreen::requestClose(XWindow window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("_NET_CLOSE_WINDOW");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = 2; // from a pager, which acts for the user
    xcb_send_event(m_connection, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(m_connection);
}

void XScreen::watchSizes(XWindow window)
{
    m_watched = window;
    m_sizes.clear();
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
}

void XScreen::readEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
            const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
            const QSize size(configure->width, configure->height);
            if (configure->window == m_watched && (m_sizes.isEmpty() || m_sizes.last() != size))
                m_sizes.append(size);
        }
        std::free(event);
    }
}

QList<QSize> XScreen::reportedSizes()
{
    readEvents();
    return m_sizes;
}

namespace input {

bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool moveTo(QPoint point)
{
    return xdotool({u"mousemove"_s, QString::number(point.x()), QString::number(point.y())});
}

bool click(QPoint point)
{
    return xdotool({u"mousemove"_s, QString::number(point.x()), QString::number(point.y()), u"click"_s, u"1"_s});
}

bool typeText(const QString &text)
{
    return xdotool({u"type"_s, u"--delay"_s, u"20"_s, text});
}

bool key(const QString &name)
{
    return xdotool({u"key"_s, name});
}

} // namespace input

} // namespace lexorra::testing
