#pragma once

#include "window_geometry.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace lexorra {

/// WindowGeometry of a real top-level QWidget, in twips at 15 twips to the
/// logical pixel.
///
/// - Outer size and top/left are the window's frame; client size is the area
///   inside it. Positions are the frame's, as QWidget::move() takes them.
/// - Where the program places its windows (X11, see canPlaceWindows()), values
///   read are the geometry that the window system has confirmed, not what was
///   last asked of it. A window manager applies requests at its own pace and
///   reports each one back later; reading the widget's own, optimistic
///   geometry would mix requests with late reports of earlier ones, so that
///   the window seems to grow back or jump. Every write waits, dispatching no
///   user input meanwhile, until the window system reports the geometry asked
///   for, or for at most kSettleMs: a window system that will not apply a
///   request (a minimum window size of its own) then shows in what is read
///   back.
/// - Where the compositor places windows (Wayland), a window's size is its
///   own: sizes are read from the widget and writes take effect at once, with
///   no wait. Its position is unknown and cannot be set: top, left and their
///   writes throw GeometryFailure at once.
/// - Writing an outer size resizes the client area by the difference between
///   the new outer size and the current frame size, so the frame keeps its
///   thickness. Values are rounded to whole pixels (halves away from zero).
///   The client area keeps at least one pixel each way: a window with none
///   would no longer be shown at all.
/// - A dimension that is fixed (minimum == maximum, as after setFixedSize) is
///   fixed again at the new size: a fixed size keeps the user from resizing the
///   window but must not keep the program from shrinking it. A dimension that
///   is not fixed is resized within the widget's minimum and maximum sizes.
/// - Once the widget has been destroyed or hidden (for instance by a handler
///   that ran during dispatchEvents(), or because the program is ending),
///   every operation except dispatchEvents() throws GeometryFailure, as do
///   values that do not fit a widget's pixel range.
/// - dispatchEvents() is QCoreApplication::processEvents().
class QtWindowGeometry final : public WindowGeometry, private QObject
{
public:
    /// Longest wait for the window system to apply one write.
    static constexpr int kSettleMs = 150;

    /// `window` should be a top-level widget that is shown.
    explicit QtWindowGeometry(QWidget *window);
    ~QtWindowGeometry() override;

    [[nodiscard]] float outerHeight() override;
    void setOuterHeight(float twips) override;
    [[nodiscard]] float outerWidth() override;
    void setOuterWidth(float twips) override;
    [[nodiscard]] float top() override;
    void setTop(float twips) override;
    [[nodiscard]] float left() override;
    void setLeft(float twips) override;
    [[nodiscard]] float clientHeight() override;
    [[nodiscard]] float clientWidth() override;
    void dispatchEvents() override;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;

    /// The widget, or GeometryFailure when it is gone or hidden.
    [[nodiscard]] QWidget &widget() const;
    /// Dispatches window-system events, no user input, until @p applied holds
    /// or kSettleMs have passed.
    void settle(const std::function<bool()> &applied);
    void resizeClient(QWidget &w, int width, int height);
    /// The frame and the client area as they stand, in logical pixels.
    [[nodiscard]] QRect frame() const;
    [[nodiscard]] QRect client() const;
    /// The frame, or GeometryFailure where its position cannot be known.
    [[nodiscard]] QRect placedFrame() const;
    /// Moves the frame to @p target and waits until the move is reported.
    void moveFrame(const QPoint &target);

    QPointer<QWidget> m_window;
    QPointer<QWindow> m_handle;
    const bool m_canPlace; // see canPlaceWindows()
    QRect m_frame;  // reported frame, logical pixels
    QRect m_client; // reported client area, logical pixels
    std::function<void()> m_onReport;
};

} // namespace lexorra
