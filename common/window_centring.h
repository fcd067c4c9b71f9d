#pragma once

class QWidget;

namespace lexorra {

/// Centres @p window on its screen when it is first shown, frame included.
///
/// A window manager frames a window at its own pace after it is shown, so the
/// client area is centred at first, and the whole window once more as soon as
/// the frame's size is known. The user's first press or key ends the wait: a
/// window that the user has started to use is never moved.
void centreOnScreenWhenShown(QWidget *window);

} // namespace lexorra
