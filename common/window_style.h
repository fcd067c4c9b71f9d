#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QWidget;

namespace lexorra {

/// A font as the windows' layouts give it: a family, a size in points and a
/// weight, upright and undecorated. A missing family falls back to a sans-serif
/// face.
[[nodiscard]] QFont designFont(const QString &family, qreal points, QFont::Weight weight);

/// Sets two colours of @p widget's palette: its background and its text.
void setColours(QWidget *widget, QPalette::ColorRole backgroundRole, const QColor &background,
                QPalette::ColorRole textRole, const QColor &text);

} // namespace lexorra
