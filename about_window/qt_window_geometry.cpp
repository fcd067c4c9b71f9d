#include "qt_window_geometry.h"

#include "twips.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace about_window {

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

QtWindowGeometry::QtWindowGeometry(QWidget *window) : m_window(window)
{
    Q_ASSERT(!window || window->isWindow());
}

QWidget &QtWindowGeometry::widget() const
{
    // A collapse is for a window on the screen. One that was hidden meanwhile
    // (the program is ending) rejects everything, so the collapse stops.
    if (m_window.isNull() || !m_window->isVisible())
        throw GeometryFailure{};
    return *m_window;
}

float QtWindowGeometry::outerHeight()
{
    return toTwips(widget().frameGeometry().height());
}

void QtWindowGeometry::setOuterHeight(float twips)
{
    QWidget &w = widget();
    const int clientHeight = std::max(0, w.height() + toPixels(twips) - w.frameGeometry().height());
    if (w.minimumHeight() == w.maximumHeight())
        w.setFixedHeight(clientHeight);
    else
        w.resize(w.width(), clientHeight);
}

float QtWindowGeometry::outerWidth()
{
    return toTwips(widget().frameGeometry().width());
}

void QtWindowGeometry::setOuterWidth(float twips)
{
    QWidget &w = widget();
    const int clientWidth = std::max(0, w.width() + toPixels(twips) - w.frameGeometry().width());
    if (w.minimumWidth() == w.maximumWidth())
        w.setFixedWidth(clientWidth);
    else
        w.resize(clientWidth, w.height());
}

float QtWindowGeometry::top()
{
    return toTwips(widget().frameGeometry().top());
}

void QtWindowGeometry::setTop(float twips)
{
    QWidget &w = widget();
    w.move(w.frameGeometry().left(), toPixels(twips));
}

float QtWindowGeometry::left()
{
    return toTwips(widget().frameGeometry().left());
}

void QtWindowGeometry::setLeft(float twips)
{
    QWidget &w = widget();
    w.move(toPixels(twips), w.frameGeometry().top());
}

float QtWindowGeometry::clientHeight()
{
    return toTwips(widget().height());
}

float QtWindowGeometry::clientWidth()
{
    return toTwips(widget().width());
}

void QtWindowGeometry::dispatchEvents()
{
    QCoreApplication::processEvents();
}

} // namespace about_window
