#include "viewer/commands/CommandGuard.h"

#include <algorithm>
#include <iterator>

namespace viewer {
namespace {

constexpr Control kGuarded[] = {Control::kFirst, Control::kPrevious, Control::kSlow, Control::kFastForward,
                                Control::kNext,  Control::kJoin,     Control::kZoom};

}  // namespace

bool IsGuardedCommand(int command) {
  return std::any_of(std::begin(kGuarded), std::end(kGuarded), [&](Control c) { return CommandOf(c) == command; });
}

int GuardMargin(int speed_level) {
  switch (speed_level) {
    case 2: return 40;
    case 4: return 80;
    default: return 20;
  }
}

bool CommandGuardAllows(bool loaded, PlayState state, int position, int duration, int speed_level) {
  if (!loaded) return false;
  if (state != PlayState::kPlaying) return true;
  return duration <= 0 || position + GuardMargin(speed_level) < duration;
}

bool FullscreenEntryAllowed(int position, int duration) { return duration <= 0 || position + 10 < duration; }

}  // namespace viewer
