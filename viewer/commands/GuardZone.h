#pragma once

namespace viewer {

// Follows the playback tick in and out of the refused zone, so that the
// controls are disabled once on entering it and recomputed once on leaving.
class GuardZone {
 public:
  enum class Change { kNone, kEntered, kLeft };
  Change Update(bool refused);
  bool inside() const { return inside_; }
  // A new recording starts outside the zone.
  void Reset() { inside_ = false; }

 private:
  bool inside_ = false;
};

}  // namespace viewer
