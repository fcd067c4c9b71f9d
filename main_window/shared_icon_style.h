#pragma once

#include <QHash>
#include <QIcon>
#include <QProxyStyle>

namespace lexorra {

/// The application's style, with the icons of dialog buttons and message
/// boxes made once and shared by every box.
///
/// Left alone, the style makes each such icon anew for every button and box,
/// decoding its pictures from their files, and the pixmap cache keeps each new
/// icon's pixmaps under keys of their own that are never asked for again: a
/// long session held on to every prompt's and box's icons.
class SharedIconStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    /// Wraps @p base, and takes it over.
    explicit SharedIconStyle(QStyle *base);
    Q_DISABLE_COPY_MOVE(SharedIconStyle)

    [[nodiscard]] QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                                     const QWidget *widget = nullptr) const override;

    /// Whether @p icon is one of the shared icons, the dialogs' own, which look
    /// the same for every widget of one layout direction.
    [[nodiscard]] static bool isShared(StandardPixmap icon);

private:
    // By icon and layout direction.
    mutable QHash<int, QIcon> m_icons;
};

/// Makes the application's style a SharedIconStyle over the style it has, once.
void shareStandardIcons();

} // namespace lexorra
