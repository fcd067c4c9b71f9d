#pragma once

// Watches a window's resizes, to see a collapse play and to act while it does.

#include <QList>
#include <QObject>
#include <QResizeEvent>
#include <QSize>
#include <QString>
#include <QWidget>

#include <algorithm>
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

    /// Empty when the sizes seen are the collapse of a window of size @p full:
    /// first only lower, to less than a quarter of its height, then only
    /// narrower, to less than a quarter of its width. Else what they were.
    [[nodiscard]] QString notACollapse(QSize full) const
    {
        const auto widthStart =
            std::find_if(sizes.cbegin(), sizes.cend(), [&](QSize size) { return size.width() < full.width(); });
        const bool collapsed =
            sizes.size() > 2 && widthStart != sizes.cend() &&
            std::all_of(sizes.cbegin(), widthStart, [&](QSize size) { return size.width() == full.width(); }) &&
            std::all_of(widthStart, sizes.cend(), [&](QSize size) { return size.height() == widthStart->height(); }) &&
            widthStart->height() < full.height() / 4 && sizes.last().width() < full.width() / 4;
        if (collapsed)
            return {};
        QString trail = QStringLiteral("not a collapse of %1x%2:").arg(full.width()).arg(full.height());
        for (QSize size : sizes)
            trail += QStringLiteral(" %1x%2").arg(size.width()).arg(size.height());
        return trail;
    }

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
