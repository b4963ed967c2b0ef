#include "viewer/settings/UiFontSizes.h"

#include <cstdint>

namespace viewer {

int UiFontPixelHeight(int points, int dpi_x, int dpi_y) {
  if (dpi_x <= 0 || dpi_y <= 0) return points;
  const auto scaled = static_cast<std::int64_t>(points / (dpi_x / 96.0));
  // MulDiv: rounds half away from zero.
  const std::int64_t product = scaled * dpi_y;
  return static_cast<int>((product + 36) / 72);
}

}  // namespace viewer
