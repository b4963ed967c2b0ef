#pragma once

#include <cstdint>
#include <string_view>

namespace mapview {

// Colours as 0x00BBGGRR values, the way the recorder's tools write them.
constexpr std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16;
}

// The X, Y and Z traces' colours, also the panel's axis titles'.
inline constexpr std::uint32_t kAxisColours[3] = {Rgb(0, 255, 0), Rgb(255, 0, 0), Rgb(128, 128, 255)};

// What one event marker kind looks like; the numbering is the one the map
// page, the graph and the event points share: 0-4 impact by axis and
// direction, 5 user point, 6 emergency stop, 7 parking monitoring,
// 8 speeding, 9 speed camera, 10 radar, 11-13 drive assist.
struct MarkerKind {
  std::uint32_t colour;    // the marker line's
  std::string_view label;  // UTF-8; empty where a picture stands instead
  int label_row;           // labels of higher rows sit lower, 10 px a row
  bool picture;            // kind 11 draws its picture, not a letter
};

inline constexpr int kMarkerKindCount = 14;

// The kind's row of the table; null for numbers outside 0-13.
const MarkerKind* FindMarkerKind(int kind);

}  // namespace mapview
