#pragma once

namespace mapview {

// The vehicle panel's five reading kinds.
inline constexpr int kGaugeKinds = 5;

// How a kind's gauge shows its reading: the range the shown value is
// clamped to, the value it starts from when chosen, and its step sizes.
struct GaugeKind {
  int maximum;
  int start;
  int far_from;     // from this distance on the needle moves far_step
  int far_step;
  int near_step;    // closer, it moves up to this (never past the target)
};

// Row of a kind 0-4; null for any other value (an empty slot).
const GaugeKind* GaugeKindOf(int kind);

// One display slot of the vehicle panel: the kind chosen in its combo box
// and the value its gauge shows, moved toward the reading one step per tick.
class GaugeSlot {
 public:
  // The combo box's choice: the shown value restarts at the kind's start
  // value and the next tick draws it.
  void Choose(int kind);
  // One 50 ms tick with the reading of the slot's kind. While animating,
  // readings are not looked at until the target is reached. True when the
  // slot must be repainted.
  bool Tick(int reading);

  bool active() const { return GaugeKindOf(kind_) != nullptr; }
  int kind() const { return kind_; }
  int shown() const { return shown_; }
  int target() const { return target_; }
  bool animating() const { return animating_; }

 private:
  void Step();

  int kind_ = -1;  // no choice yet: empty
  int shown_ = 0;
  int target_ = 0;
  bool animating_ = false;
  bool drawn_ = false;
};

}  // namespace mapview
