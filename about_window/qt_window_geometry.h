#pragma once

#include "window_geometry.h"

#include <QPointer>
#include <QWidget>

namespace about_window {

/// WindowGeometry of a real top-level QWidget, in twips at 15 twips to the
/// logical pixel.
///
/// - Outer size and top/left are the widget's frame geometry; client size is
///   its geometry(). Positions are the frame's, as QWidget::move() takes them.
/// - Writing an outer size resizes the client area by the difference between
///   the new outer size and the current frame size, so the frame keeps its
///   thickness. Values are rounded to whole pixels (halves away from zero).
/// - A dimension that is fixed (minimum == maximum, as after setFixedSize) is
///   fixed again at the new size: a fixed size keeps the user from resizing the
///   window but must not keep the program from shrinking it, and the window
///   stays fixed-size while it shrinks. A dimension that is not fixed is
///   resized within the widget's minimum and maximum sizes, which is how Qt
///   expresses the smallest window it allows; a request below that leaves the
///   size at the minimum without failing, and reading the size back shows it.
/// - Once the widget has been destroyed or hidden (for instance by a handler
///   that ran during dispatchEvents(), or because the program is ending),
///   every operation except dispatchEvents() throws GeometryFailure, as do
///   values that do not fit a widget's pixel range.
/// - dispatchEvents() is QCoreApplication::processEvents().
class QtWindowGeometry final : public WindowGeometry
{
public:
    /// `window` should be a top-level widget (isWindow()); for a child widget
    /// the frame and client geometries coincide and positions are relative to
    /// its parent.
    explicit QtWindowGeometry(QWidget *window);

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
    /// The widget, or GeometryFailure when it no longer exists.
    [[nodiscard]] QWidget &widget() const;

    QPointer<QWidget> m_window;
};

} // namespace about_window
