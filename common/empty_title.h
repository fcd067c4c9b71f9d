#pragma once

class QWidget;

namespace lexorra {

/// Keeps the title that the window system shows for @p window empty whenever
/// the window's own title is empty.
///
/// Qt's X11 platform hands an empty title to the window system as the
/// program's name, so a box titled "" would read "lexorra" in its title bar
/// and to every tool that lists windows. From the window's creation on, and
/// after every change of its title, an empty title is written to the window
/// system again as it is. Windows on other platforms are left alone. The
/// helper lives as long as @p window.
void keepEmptyTitleEmpty(QWidget *window);

} // namespace lexorra
