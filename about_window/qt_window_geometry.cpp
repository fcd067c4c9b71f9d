#include "qt_window_geometry.h"

#include "twips.h"
#include "window_centring.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace lexorra {

namespace {

/// The largest length in twips that a widget can take (Qt's widget size limit).
constexpr float kLargestTwips = static_cast<float>(QWIDGETSIZE_MAX) * lexorra::kTwipsPerPixel;

/// Whole logical pixels for a length in twips. Rounding to whole twips first and
/// then to pixels gives the same result as rounding twips / 15 directly, because
/// the pixel halfway points (7.5, 22.5, ... twips) are themselves half twips.
int toPixels(float twips)
{
    if (!std::isfinite(twips) || std::fabs(twips) > kLargestTwips)
        throw GeometryFailure{};
    return lexorra::twipsToPixels(static_cast<int>(std::lround(twips)));
}

float toTwips(int pixels)
{
    return static_cast<float>(lexorra::pixelsToTwips(pixels));
}

} // namespace

QtWindowGeometry::QtWindowGeometry(QWidget *window) : m_window(window), m_canPlace(canPlaceWindows())
{
    Q_ASSERT(!window || window->isWindow());
    if (!window)
        return;
    m_frame = window->frameGeometry();
    m_client = window->geometry();
    m_handle = window->windowHandle();
    if (m_handle)
        m_handle->installEventFilter(this);
}

QtWindowGeometry::~QtWindowGeometry()
{
    if (m_handle)
        m_handle->removeEventFilter(this);
}

bool QtWindowGeometry::eventFilter(QObject *watched, QEvent *event)
{
    // The platform window hears of a move or resize only when the window
    // system reports it; the event carries the reported value, which a request
    // made since may already have replaced in the window's own geometry.
    if (watched != m_handle)
        return false;
    if (event->type() == QEvent::Resize)
        m_client.setSize(static_cast<QResizeEvent *>(event)->size());
    else if (event->type() == QEvent::Move)
        m_client.moveTopLeft(static_cast<QMoveEvent *>(event)->pos());
    else
        return false;
    m_frame = m_client.marginsAdded(m_handle->frameMargins());
    if (m_onReport)
        m_onReport();
    return false;
}

QWidget &QtWindowGeometry::widget() const
{
    // A collapse is for a window on the screen. One that was hidden meanwhile
    // (the program is ending) rejects everything, so the collapse stops.
    if (m_window.isNull() || !m_window->isVisible() || m_handle.isNull())
        throw GeometryFailure{};
    return *m_window;
}

void QtWindowGeometry::settle(const std::function<bool()> &applied)
{
    // A compositor confirms nothing of the kind: the size is the window's own.
    if (!m_canPlace || applied())
        return;
    QEventLoop loop;
    QTimer::singleShot(kSettleMs, &loop, &QEventLoop::quit);
    m_onReport = [&] {
        if (applied())
            loop.quit();
    };
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_onReport = nullptr;
}

void QtWindowGeometry::resizeClient(QWidget &w, int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    if (w.minimumWidth() == w.maximumWidth())
        w.setFixedWidth(width);
    if (w.minimumHeight() == w.maximumHeight())
        w.setFixedHeight(height);
    w.resize(width, height);
    // Qt may have bounded the request by the widget's own limits; what it
    // passed on is what the window system is to confirm.
    const QSize requested = w.size();
    settle([this, requested] { return m_window.isNull() || m_client.size() == requested; });
}

QRect QtWindowGeometry::frame() const
{
    const QWidget &w = widget(); // a window that is gone rejects every read
    return m_canPlace ? m_frame : w.frameGeometry();
}

QRect QtWindowGeometry::client() const
{
    const QWidget &w = widget();
    return m_canPlace ? m_client : w.geometry();
}

QRect QtWindowGeometry::placedFrame() const
{
    // A compositor neither tells a client where its window is nor lets it
    // move one.
    if (!m_canPlace)
        throw GeometryFailure{};
    return frame();
}

void QtWindowGeometry::moveFrame(const QPoint &target)
{
    widget().move(target);
    settle([this, target] { return m_window.isNull() || m_frame.topLeft() == target; });
}

float QtWindowGeometry::outerHeight()
{
    return toTwips(frame().height());
}

void QtWindowGeometry::setOuterHeight(float twips)
{
    QWidget &w = widget();
    resizeClient(w, client().width(), client().height() + toPixels(twips) - frame().height());
}

float QtWindowGeometry::outerWidth()
{
    return toTwips(frame().width());
}

void QtWindowGeometry::setOuterWidth(float twips)
{
    QWidget &w = widget();
    resizeClient(w, client().width() + toPixels(twips) - frame().width(), client().height());
}

float QtWindowGeometry::top()
{
    return toTwips(placedFrame().top());
}

void QtWindowGeometry::setTop(float twips)
{
    moveFrame(QPoint(placedFrame().left(), toPixels(twips)));
}

float QtWindowGeometry::left()
{
    return toTwips(placedFrame().left());
}

void QtWindowGeometry::setLeft(float twips)
{
    moveFrame(QPoint(toPixels(twips), placedFrame().top()));
}

float QtWindowGeometry::clientHeight()
{
    return toTwips(client().height());
}

float QtWindowGeometry::clientWidth()
{
    return toTwips(client().width());
}

void QtWindowGeometry::dispatchEvents()
{
    QCoreApplication::processEvents();
}

} // namespace lexorra
