#include "image_push_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace lexorra {

ImagePushButton::ImagePushButton(const QPixmap &picture, QWidget *parent) : QPushButton(parent), m_picture(picture)
{}

QRect ImagePushButton::pictureRect() const
{
    const QSize size = m_picture.deviceIndependentSize().toSize();
    return {(width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height()};
}

void ImagePushButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The face and its focus frame come from the style; only the label is ours.
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    painter.setClipRect(rect());
    painter.drawPixmap(pictureRect(), m_picture);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace lexorra
