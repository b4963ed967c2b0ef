#pragma once

#include <array>

namespace viewer {

// The five UI fonts, by point size.
inline constexpr std::array<int, 5> kUiFontPoints = {9, 10, 13, 17, 22};
enum class UiFontSize { k9 = 0, k10, k13, k17, k22 };

// Character height in pixels: trunc(points / (dpi_x / 96)) scaled by dpi_y
// over 72 and rounded as MulDiv rounds, so the pixel size stays about the
// same whatever the display scaling.
int UiFontPixelHeight(int points, int dpi_x, int dpi_y);

}  // namespace viewer
