#include "mapview/GraphScale.h"

#include <algorithm>
#include <cmath>

namespace mapview {

GraphScale::GraphScale(int height, int zoom)
    : height_(std::max(height, 0)),
      zoom_(std::clamp(zoom, 0, kMaxZoom)),
      pixels_per_g_((height_ - 6.0) / (zoom_ + 1)) {}

int GraphScale::RowOf(double g) const {
  const int top = kEdgeInset;
  const int bottom = std::max(top, height_ - 1 - kEdgeInset);
  if (std::isnan(g)) return std::clamp(ZeroRow(), top, bottom);
  const double y = ZeroRow() - g * pixels_per_g_;
  if (y <= top) return top;
  if (y >= bottom) return bottom;
  return static_cast<int>(std::lround(y));
}

int GraphScale::ZoomFor(double largest) {
  if (largest >= 1.5) return 3;
  if (largest >= 1.0) return 2;
  if (largest >= 0.5) return 1;
  return 0;
}

int GraphScale::CursorX(std::int64_t frame, std::int64_t first, std::int64_t count, int width) {
  if (count <= 0) return kLeftMargin;
  const std::int64_t span = width - kLeftMargin;
  return static_cast<int>((frame - first) * span / count) + kLeftMargin;
}

}  // namespace mapview
