#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace mapview {

class DetectorTable;
class SensorSeries;

// What the graph draws for one recording at one size, zoom and set of
// flags, computed before painting: the three traces as polylines, the event
// markers and the columns of the speeding band.
//
// The recording is fitted into the drawable width (width - left margin - 1)
// at most one step per pixel column; step k stands at x = margin +
// int(k * step width) and covers the frames up to the next step's. Every
// frame a step covers is tested for event starts, so that an event shorter
// than a step still gets its marker (at the column of the first frame that
// starts one, one marker per entry and step).
class GraphPlan {
 public:
  struct Point {
    int x, y;
    friend bool operator==(const Point&, const Point&) = default;
  };
  struct Marker {
    int x, kind, entry;
    friend bool operator==(const Marker&, const Marker&) = default;
  };
  struct Span {  // pixel columns [left, right)
    int left, right;
    friend bool operator==(const Span&, const Span&) = default;
  };

  // Nothing to draw without frames, samples or drawable width.
  static GraphPlan Make(const SensorSeries& series, const DetectorTable& detectors, int width, int height, int zoom);

  // Per axis X, Y, Z; empty when the axis's entry is off. A flat stretch
  // keeps only its end points (the line between them is the same).
  std::array<std::vector<Point>, 3> traces;
  // By entry 0-9, then by x: the order the labels are drawn in.
  std::vector<Marker> markers;
  std::vector<Span> band;
  // The steps the recording was fitted into.
  std::int64_t steps = 0;
};

}  // namespace mapview
