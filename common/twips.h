#pragma once

#include <QRect>

#include <cmath>

namespace lexorra {

/// Window layouts are given in twips, 1/1440 inch. At 96 logical dots per inch
/// that is 15 twips to a logical pixel; Qt scales logical pixels to the screen.
inline constexpr int kTwipsPerPixel = 15;

/// Logical pixels for a length in twips, to the nearest whole pixel.
[[nodiscard]] constexpr int twipsToPixels(int twips)
{
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

/// Twips for a length in logical pixels.
[[nodiscard]] constexpr int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

/// A rectangle given in twips (left, top, width, height), in logical pixels.
[[nodiscard]] constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace lexorra
