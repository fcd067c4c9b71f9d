#include "window_style.h"

#include <QWidget>

namespace lexorra {

QFont designFont(const QString &family, qreal points, QFont::Weight weight)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(weight);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

void setColours(QWidget *widget, QPalette::ColorRole backgroundRole, const QColor &background,
                QPalette::ColorRole textRole, const QColor &text)
{
    QPalette palette = widget->palette();
    palette.setColor(backgroundRole, background);
    palette.setColor(textRole, text);
    widget->setPalette(palette);
}

} // namespace lexorra
