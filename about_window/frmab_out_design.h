#pragma once

// The About window as designed: its client area, its picture button and its
// label array. FrmabOut is built from this table, and its tests hold the
// window as shown against it.

#include "twips.h"

#include <QColor>
#include <QRect>
#include <QSize>

#include <array>

namespace lexorra::frmab_out_design {

inline constexpr QSize kClientSize(twipsToPixels(3765), twipsToPixels(2070));

inline constexpr QRect kCommand1Rect = twipsRect(240, 960, 915, 1035);

/// One element of the label array. Each label is as large as its text on one
/// line, and keeps its left and top edges.
struct Label
{
    QPoint topLeft; ///< logical pixels
    QRgb colour;
    qreal points; ///< of the labels' common font, bold Tahoma
    const char16_t *text;
};

/// By index: Label1(0) to Label1(3).
inline constexpr std::array<Label, 4> kLabels{{
    {QPoint(twipsToPixels(1320), twipsToPixels(1440)), qRgb(255, 255, 255), 8.25, u"Coding : Quillon"},
    {QPoint(twipsToPixels(1005), twipsToPixels(360)), qRgb(255, 255, 192), 9.0, u"\u00A9 2026 \u00B7 Freeware"},
    {QPoint(twipsToPixels(210), twipsToPixels(120)), qRgb(255, 255, 192), 9.0, u"For 32 Bit Windows Development."},
    {QPoint(twipsToPixels(1260), twipsToPixels(1680)), qRgb(255, 128, 128), 8.25, u"quillon@lexorra.example"},
}};

/// The order in which the labels are created, after the picture button.
inline constexpr std::array<int, 4> kLabelCreationOrder{3, 2, 1, 0};

} // namespace lexorra::frmab_out_design
