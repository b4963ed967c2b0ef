#include "viewer/commands/ZoomView.h"

#include <algorithm>

namespace viewer {
namespace {

// Where along one axis of the picture rectangle a coordinate lies (0 to 1).
double Along(int at, int start, int length) {
  return std::clamp(static_cast<double>(at - start) / length, 0.0, 1.0);
}

// The new top-left along one axis that keeps the picture point under the
// click where it is: the point seen at share s of the window is
// origin + s / factor of the picture, before and after the step.
double KeepUnder(double origin, double share, int factor, int next) {
  const double point = origin + share / factor;
  return std::clamp(point - share / next, 0.0, 1.0 - 1.0 / next);
}

int Scaled(int value, int from, int to) {
  return static_cast<int>(static_cast<long long>(value) * to / from);
}

}  // namespace

void ZoomView::Reset(int width, int height) {
  factor_ = 1;
  x_ = 0.0;
  y_ = 0.0;
  width_ = width;
  height_ = height;
  centre_ = {width / 2, height / 2};
  last_click_ = centre_;
}

void ZoomView::Click(LayoutPoint point, const LayoutRect& picture) {
  last_click_ = point;
  if (picture.width <= 0 || picture.height <= 0 || factor_ + 1 > kMaxFactor) {
    Reset(width_, height_);
    last_click_ = point;
    return;
  }
  const int next = factor_ + 1;
  x_ = KeepUnder(x_, Along(point.x, picture.left, picture.width), factor_, next);
  y_ = KeepUnder(y_, Along(point.y, picture.top, picture.height), factor_, next);
  factor_ = next;
}

void ZoomView::Rescale(int old_width, int old_height, int new_width, int new_height) {
  if (old_width <= 0 || old_height <= 0 || new_width <= 0 || new_height <= 0) {
    Reset(std::max(new_width, 0), std::max(new_height, 0));
    return;
  }
  last_click_ = {Scaled(last_click_.x, old_width, new_width), Scaled(last_click_.y, old_height, new_height)};
  width_ = new_width;
  height_ = new_height;
  centre_ = {new_width / 2, new_height / 2};
}

}  // namespace viewer
