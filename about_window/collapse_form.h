#pragma once

#include "window_geometry.h"

#include <QtGlobal>

#include <optional>

namespace lexorra {

/// The step size used when the caller's step-size variable holds 0, in twips.
inline constexpr qint16 kDefaultCollapseStep = 200;

/// Shrinks a shown window away before it closes: first its height, then its
/// width, in passes of `stepSize` twips. With each pass the top edge moves down
/// (in the width phase: the left edge moves right) by half a step, so that the
/// window's centre stays put while the window system follows every request.
///
/// A phase ends when the outer size is no longer greater than the frame size
/// measured at the start of that phase (the client area is used up), or when a
/// pass leaves the outer size where the previous pass left it (the window will
/// not get any smaller). Before every pass all pending events are dispatched;
/// that is the only pacing, there is no timer.
///
/// `stepSize` is the caller's variable: when it holds 0 it is set to
/// kDefaultCollapseStep before use, and it keeps that value afterwards.
///
/// Nothing fails towards the caller: an operation that the window rejects, or
/// a computation on its values that has no finite or 32-bit result, abandons
/// the current step and the collapse goes on at a fixed later step (see
/// collapse_form.cpp), so even a window that rejects everything is got through
/// with at most one pass per phase.
void Collapse_Form(WindowGeometry &window, qint16 &stepSize);

/// `value` rounded to the nearest 32-bit signed integer, halves to the even
/// neighbour; nothing when `value` is not finite or the result does not fit.
/// Independent of the floating-point environment's rounding mode.
[[nodiscard]] std::optional<qint32> roundToInt32(double value);

} // namespace lexorra
