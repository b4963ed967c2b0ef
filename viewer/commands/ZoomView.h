#pragma once

#include "viewer/commands/LayoutRect.h"

namespace viewer {

// The digital zoom of one video window: the factor (1, 2 or 3) and the part
// of the picture shown, as the players take it (fractions of the picture),
// with the last clicked point and the unzoomed centre in window pixels.
class ZoomView {
 public:
  static constexpr int kMaxFactor = 3;

  // Unzoomed: factor 1, the whole picture, centred on half of size.
  void Reset(int width, int height);
  // A zoom click at point (window pixels) of a window where the picture
  // fills the rectangle picture: one step more, with the picture point under
  // the click kept under it; after the third step, unzoomed again. A click
  // outside the picture counts as on its nearest edge. An empty picture
  // rectangle resets.
  void Click(LayoutPoint point, const LayoutRect& picture);
  // The window changed from old to new size (docked, floating): the same
  // part of the picture stays shown, the clicked point and centre follow the
  // size. When either size is empty (the docked sub view of the smallest
  // size mode has no width) there is nothing to scale by: unzoomed.
  void Rescale(int old_width, int old_height, int new_width, int new_height);

  int factor() const { return factor_; }
  // Top-left of the part shown, as fractions of the picture.
  double x() const { return x_; }
  double y() const { return y_; }
  LayoutPoint last_click() const { return last_click_; }
  LayoutPoint centre() const { return centre_; }

 private:
  int factor_ = 1;
  double x_ = 0.0;
  double y_ = 0.0;
  int width_ = 0;
  int height_ = 0;
  LayoutPoint last_click_;
  LayoutPoint centre_;
};

}  // namespace viewer
