#pragma once

#include <string>

namespace mapview {

// The map's scale bar: the longest round distance (1, 2 or 5 times a power
// of ten metres) that fits in the room given, and its text.
struct MapScaleBar {
  // Metres of one degree of latitude, the same everywhere on a sphere of the
  // earth's mean radius.
  static constexpr double kMetresPerDegree = 111195.0;

  double metres = 0.0;
  double pixels = 0.0;
  std::string text;  // "500 m", "2 km"; the C locale's digits whatever the locale

  // A scale too fine (under a metre in the room) or too coarse (more than
  // the globe) gives a bar of zero metres and no text.
  static MapScaleBar Choose(double metres_per_pixel, double max_pixels);
};

}  // namespace mapview
