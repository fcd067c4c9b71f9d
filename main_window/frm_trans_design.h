#pragma once

// The main window as designed: its client area, and its controls in creation
// order with their places, fonts and colours. FrmTrans is built from this
// table, and its tests hold the window as shown against it.

#include "twips.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

#include <array>
#include <optional>

namespace lexorra::frm_trans_design {

struct Font
{
    const char16_t *family;
    qreal points;
    QFont::Weight weight;
};

struct Control
{
    const char16_t *name; ///< also its object name
    QRect rect;           ///< in the window's client area, logical pixels
    bool visibleAtStart;
    /// Font and colours where the design gives them; else the platform's.
    std::optional<Font> font = std::nullopt;
    std::optional<QRgb> text = std::nullopt;
    std::optional<QRgb> background = std::nullopt;
};

inline constexpr QSize kClientSize(twipsToPixels(10050), twipsToPixels(5640));

inline constexpr QRgb kBlack = qRgb(0, 0, 0);
inline constexpr QRgb kLightYellow = qRgb(255, 255, 192);
inline constexpr QRgb kDarkGrey = qRgb(64, 64, 64);
inline constexpr QRgb kLightCyan = qRgb(128, 255, 255);
/// Both frames' outline.
inline constexpr QRgb kPaleCyan = qRgb(192, 255, 255);

// Places in twips: left, top, width, height.
// clang-format off
inline constexpr Control kList2{u"List2", twipsRect(3120, 4680, 615, 450), false};
inline constexpr Control kList1{u"List1", twipsRect(3000, 360, 2775, 4905), true,
                                Font{u"Tahoma", 12.0, QFont::Bold}, kLightYellow, kDarkGrey};
inline constexpr Control kCommand1{u"Command1", twipsRect(840, 4905, 1335, 375), true,
                                   Font{u"Comic Sans MS", 11.25, QFont::Bold}};
inline constexpr Control kLabel2{u"Label2", twipsRect(6120, 360, 3675, 4005), true,
                                 Font{u"MS Sans Serif", 13.5, QFont::Normal}, kLightYellow, kBlack};
inline constexpr Control kShape1Hover{u"Shape1_1", twipsRect(6960, 4680, 2175, 615), false};
inline constexpr Control kLabel1{u"Label1", twipsRect(7320, 4800, 1575, 495), true,
                                 Font{u"Comic Sans MS", 14.25, QFont::Bold}, kLightCyan, kBlack};
inline constexpr Control kShape1Press{u"Shape1_0", twipsRect(180, 840, 2655, 2295), false};
inline constexpr Control kImage1{u"Image1", twipsRect(300, 1080, 2415, 1845), true};
// clang-format on

/// In creation order: a later control lies above an earlier one.
inline constexpr std::array kControls{kList2, kList1, kCommand1, kLabel2, kShape1Hover, kLabel1, kShape1Press, kImage1};

} // namespace lexorra::frm_trans_design
