#pragma once

class QWidget;

namespace lexorra {

/// Whether the program can place its windows and read back where they are.
/// True on X11. False on Wayland, where the compositor places every window
/// and never tells a client where it is.
[[nodiscard]] bool canPlaceWindows();

/// Centres @p window on its screen when it is first shown, frame included,
/// where the program can place windows (see canPlaceWindows()); elsewhere the
/// window system places it.
///
/// A window manager frames a window at its own pace after it is shown, so the
/// client area is centred at first, and the whole window again whenever the
/// frame's size becomes known or changes. The user's first press or key in the
/// window, or its closing, ends this: a window in use is never moved.
void centreOnScreenWhenShown(QWidget *window);

} // namespace lexorra
