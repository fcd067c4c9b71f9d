#include "shared_icon_style.h"

#include <QApplication>
#include <QWidget>

namespace lexorra {

SharedIconStyle::SharedIconStyle(QStyle *base) : QProxyStyle(base)
{}

bool SharedIconStyle::isShared(StandardPixmap icon)
{
    switch (icon) {
    case SP_MessageBoxInformation:
    case SP_MessageBoxWarning:
    case SP_MessageBoxCritical:
    case SP_MessageBoxQuestion:
    case SP_DialogOkButton:
    case SP_DialogCancelButton:
    case SP_DialogHelpButton:
    case SP_DialogOpenButton:
    case SP_DialogSaveButton:
    case SP_DialogCloseButton:
    case SP_DialogApplyButton:
    case SP_DialogResetButton:
    case SP_DialogDiscardButton:
    case SP_DialogYesButton:
    case SP_DialogNoButton:
        return true;
    default:
        return false;
    }
}

QIcon SharedIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                    const QWidget *widget) const
{
    // An option may ask for a particular look: such a request is not shared.
    if (option || !isShared(standardIcon))
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // Some are drawn mirrored for a right-to-left widget.
    const Qt::LayoutDirection direction = widget ? widget->layoutDirection() : QGuiApplication::layoutDirection();
    const int key = int(standardIcon) * 2 + (direction == Qt::RightToLeft ? 1 : 0);
    auto found = m_icons.constFind(key);
    if (found == m_icons.cend())
        found = m_icons.insert(key, QProxyStyle::standardIcon(standardIcon, nullptr, widget));
    return *found;
}

void shareStandardIcons()
{
    if (qobject_cast<SharedIconStyle *>(QApplication::style()))
        return;
    // The wrapper takes the current style over, so the application does not
    // delete it when it changes to the wrapper.
    QApplication::setStyle(new SharedIconStyle(QApplication::style()));
}

} // namespace lexorra
