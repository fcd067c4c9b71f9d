#pragma once

// Watches a window's resizes, to see a collapse play and to act while it does.

#include <QList>
#include <QObject>
#include <QResizeEvent>
#include <QSize>
#include <QWidget>

#include <functional>

namespace lexorra::testing {

class ResizeWatch final : public QObject
{
public:
    explicit ResizeWatch(QWidget *window) { window->installEventFilter(this); }

    /// The window's size at every resize, in order.
    QList<QSize> sizes;
    /// Runs at every resize, with the number of resizes so far.
    std::function<void(int)> onResize;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize) {
            sizes.append(static_cast<QResizeEvent *>(event)->size());
            if (onResize)
                onResize(static_cast<int>(sizes.size()));
        }
        return false;
    }
};

} // namespace lexorra::testing
