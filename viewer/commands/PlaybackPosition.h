#pragma once

#include <optional>

#include "viewer/commands/Controls.h"

namespace viewer {

// The playback position of the current recording as the views follow it:
// the valid sample range and the seek that the players have not reached yet.
// UI thread only.
class PlaybackPosition {
 public:
  // A recording starts: range [0, frame_count), nothing pending.
  void Start(int frame_count);
  // The range becomes [0, duration) (the player's reset of the range).
  void ResetRange(int duration);
  // An index clamped to the range (to its first index when the range is empty).
  int Clamp(int index) const;

  // Plans a seek to frame: the frame both players are sent to and the views
  // show, so that video, slider and panel agree. While playing, the players
  // are kept away from the end by the command guard's margin (never below
  // frame 0); while paused or stopped there is no end to keep away from and
  // the frame is only clamped to the range. It becomes the pending seek.
  int PlanSeek(int frame, PlayState state, int speed_level);

  // The tick's reading of slot 0: the index to show, or none while the
  // position is not positive or lies outside the tolerance window around a
  // pending seek (the players have not got there yet). An accepted position
  // ends the pending seek.
  std::optional<int> AcceptTick(int position, int duration);
  // The tolerance window around a pending seek: duration / 1000 + 30 frames.
  static int Tolerance(int duration);

  void ClearPending() { pending_ = -1; }
  int pending() const { return pending_; }
  int first() const { return first_; }
  int count() const { return count_; }

 private:
  int first_ = 0;
  int count_ = 0;
  int pending_ = -1;
};

}  // namespace viewer
