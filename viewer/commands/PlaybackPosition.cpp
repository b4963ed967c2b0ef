#include "viewer/commands/PlaybackPosition.h"

#include <algorithm>

#include "viewer/commands/CommandGuard.h"

namespace viewer {

void PlaybackPosition::Start(int frame_count) {
  first_ = 0;
  count_ = std::max(0, frame_count);
  pending_ = -1;
}

void PlaybackPosition::ResetRange(int duration) {
  first_ = 0;
  count_ = std::max(0, duration);
}

int PlaybackPosition::Clamp(int index) const { return std::max(std::min(index, count_ - 1), first_); }

int PlaybackPosition::PlanSeek(int frame, PlayState state, int speed_level) {
  int target = Clamp(frame);
  if (state == PlayState::kPlaying) {
    const int bound = std::max(0, count_ - GuardMargin(speed_level));
    target = Clamp(std::min(target, bound));
  }
  pending_ = target;
  return target;
}

int PlaybackPosition::Tolerance(int duration) { return std::max(0, duration) / 1000 + 30; }

std::optional<int> PlaybackPosition::AcceptTick(int position, int duration) {
  if (position <= 0) return std::nullopt;
  if (pending_ != -1) {
    const int w = Tolerance(duration);
    if (position <= pending_ - w || position >= pending_ + w) return std::nullopt;
  }
  pending_ = -1;
  return Clamp(position);
}

}  // namespace viewer
