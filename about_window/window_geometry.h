#pragma once

#include <QtGlobal>

#include <exception>

namespace lexorra {

/// Raised by a WindowGeometry operation that the window rejects: the value
/// cannot be read, the window will not take the value written, the window is
/// gone, or it cannot dispatch events. A rejected write leaves the window as it
/// was.
class GeometryFailure : public std::exception
{
public:
    [[nodiscard]] const char *what() const noexcept override { return "the window rejected a geometry operation"; }
};

/// The size and position of one top-level window as the collapse effect sees
/// them, plus the event dispatch that paces it. Sizes and positions are in
/// twips (1/1440 inch) as single-precision floating-point values.
///
/// Every operation may fail; it then throws GeometryFailure. Reads are not
/// const: each one goes to the window system and sees the window as it stands
/// at that moment, including changes made by handlers that ran during
/// dispatchEvents().
class WindowGeometry
{
public:
    virtual ~WindowGeometry() = default;

    /// Full height of the window, including title bar and borders.
    [[nodiscard]] virtual float outerHeight() = 0;
    /// Asks the window to take this full height. The window system may apply
    /// it only in part (whole pixels, minimum size); read it back to see what
    /// it did.
    virtual void setOuterHeight(float twips) = 0;

    /// Full width of the window, including borders.
    [[nodiscard]] virtual float outerWidth() = 0;
    /// Asks the window to take this full width; the window system may apply it
    /// only in part, as with setOuterHeight().
    virtual void setOuterWidth(float twips) = 0;

    /// Screen position of the window's top edge (of its frame).
    [[nodiscard]] virtual float top() = 0;
    /// Moves the window so that its top edge (of its frame) is here.
    virtual void setTop(float twips) = 0;

    /// Screen position of the window's left edge (of its frame).
    [[nodiscard]] virtual float left() = 0;
    /// Moves the window so that its left edge (of its frame) is here.
    virtual void setLeft(float twips) = 0;

    /// Height of the area inside the frame.
    [[nodiscard]] virtual float clientHeight() = 0;
    /// Width of the area inside the frame.
    [[nodiscard]] virtual float clientWidth() = 0;

    /// Dispatches all events pending on the user-interface thread and returns.
    /// Any handler of the program may run meanwhile, including handlers that
    /// change this window.
    virtual void dispatchEvents() = 0;

protected:
    WindowGeometry() = default;
    Q_DISABLE_COPY_MOVE(WindowGeometry)
};

} // namespace lexorra
