#pragma once

#include <cstdint>

namespace mapview {

// The graph's vertical scale: the zero line in the middle of a graph H
// pixels high and (H - 6) / (zoom + 1) pixels per G, so that zoom 3 shows
// four times the range of zoom 0. Rows stay 5 pixels inside the top and
// bottom edges, whatever the value.
class GraphScale {
 public:
  static constexpr int kLeftMargin = 50;  // the axis picture's width
  static constexpr int kEdgeInset = 5;
  static constexpr int kMaxZoom = 3;

  // zoom is clamped to 0-3.
  GraphScale(int height, int zoom);

  double PixelsPerG() const { return pixels_per_g_; }
  int ZeroRow() const { return height_ / 2; }
  // The row of a value in G, clamped inside the edges; a value that is not
  // a number sits on the zero line.
  int RowOf(double g) const;
  int zoom() const { return zoom_; }

  // The zoom that fits the largest absolute acceleration of a recording:
  // >= 1.5 G -> 3, >= 1.0 -> 2, >= 0.5 -> 1, else 0.
  static int ZoomFor(double largest);
  // The cursor's column for frame in the range [first, first + count) over
  // a graph width pixels wide; a range without frames puts it at the left
  // margin instead of dividing by zero.
  static int CursorX(std::int64_t frame, std::int64_t first, std::int64_t count, int width);

 private:
  int height_;
  int zoom_;
  double pixels_per_g_;
};

}  // namespace mapview
