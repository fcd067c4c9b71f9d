#include "frame_shape.h"

#include <QPainter>
#include <QPen>

namespace lexorra {

FrameShape::FrameShape(const QColor &colour, QWidget *parent) : QWidget(parent), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void FrameShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A cosmetic pen stays one device pixel wide at any scale; the outline is
    // drawn on the innermost row of pixels on every side.
    QPen pen(m_colour, 0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace lexorra
