#pragma once

namespace viewer {

// A rectangle in client coordinates of the main window; right and bottom
// lie just outside it.
struct LayoutRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool Overlaps(const LayoutRect& o) const {
    return left < o.right() && o.left < right() && top < o.bottom() && o.top < bottom();
  }
  bool Contains(const LayoutRect& o) const {
    return o.left >= left && o.top >= top && o.right() <= right() && o.bottom() <= bottom();
  }
  bool operator==(const LayoutRect&) const = default;
};

struct LayoutPoint {
  int x = 0;
  int y = 0;
  bool operator==(const LayoutPoint&) const = default;
};

}  // namespace viewer
