#pragma once

class QWidget;

namespace lexorra {

/// Centres @p window on its screen when it is first shown, frame included.
///
/// A window manager frames a window at its own pace after it is shown, so the
/// client area is centred at first, and the whole window again whenever the
/// frame's size becomes known or changes. The user's first press or key in the
/// window, or its closing, ends this: a window in use is never moved.
void centreOnScreenWhenShown(QWidget *window);

} // namespace lexorra
