#include "mapview/GaugeSlot.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace mapview {
namespace {

constexpr GaugeKind kKinds[kGaugeKinds] = {
    {100, 0, INT_MAX, 0, 2},
    {100, 0, INT_MAX, 0, 2},
    {220, 90, 6, 6, 1},  // GPS speed, km/h
    {105, 0, INT_MAX, 0, 2},
    {300, 0, 8, 8, 2},
};

}  // namespace

const GaugeKind* GaugeKindOf(int kind) { return kind >= 0 && kind < kGaugeKinds ? &kKinds[kind] : nullptr; }

void GaugeSlot::Choose(int kind) {
  kind_ = kind;
  const GaugeKind* row = GaugeKindOf(kind);
  shown_ = row ? row->start : 0;
  target_ = shown_;
  animating_ = false;
  drawn_ = false;
}

void GaugeSlot::Step() {
  const GaugeKind& row = *GaugeKindOf(kind_);
  const int distance = std::abs(target_ - shown_);
  const int step = distance >= row.far_from ? row.far_step : std::min(row.near_step, distance);
  shown_ += target_ > shown_ ? step : -step;
}

bool GaugeSlot::Tick(int reading) {
  const GaugeKind* row = GaugeKindOf(kind_);
  if (!row) return false;
  if (animating_) {
    if (shown_ == target_) {
      animating_ = false;
      return false;
    }
    Step();
    return true;
  }
  const int value = std::clamp(reading, 0, row->maximum);
  if (value == shown_ && drawn_) return false;
  target_ = value;
  Step();
  animating_ = true;
  drawn_ = true;
  return true;
}

}  // namespace mapview
