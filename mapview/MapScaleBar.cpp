#include "mapview/MapScaleBar.h"

#include <charconv>
#include <cmath>

namespace mapview {
namespace {

std::string Whole(double value) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(std::lround(value))).ptr;
  return std::string(digits, end);
}

}  // namespace

MapScaleBar MapScaleBar::Choose(double metres_per_pixel, double max_pixels) {
  MapScaleBar bar;
  if (!(metres_per_pixel > 0.0) || !std::isfinite(metres_per_pixel) || !(max_pixels >= 1.0)) return bar;
  const double room = metres_per_pixel * max_pixels;
  if (room < 1.0 || room > 4.0e7) return bar;  // under a metre, or more than the globe
  const double power = std::pow(10.0, std::floor(std::log10(room)));
  for (double step : {5.0, 2.0, 1.0}) {
    if (step * power <= room) {
      bar.metres = step * power;
      break;
    }
  }
  bar.pixels = bar.metres / metres_per_pixel;
  bar.text = bar.metres >= 1000.0 ? Whole(bar.metres / 1000.0) + " km" : Whole(bar.metres) + " m";
  return bar;
}

}  // namespace mapview
