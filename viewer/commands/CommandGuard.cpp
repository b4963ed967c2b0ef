#include "viewer/commands/CommandGuard.h"

namespace viewer {

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

GuardZone::Change GuardZone::Update(bool refused) {
  if (refused == inside_) return Change::kNone;
  inside_ = refused;
  return refused ? Change::kEntered : Change::kLeft;
}

}  // namespace viewer
