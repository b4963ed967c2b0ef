#include "viewer/commands/GuardZone.h"

namespace viewer {

GuardZone::Change GuardZone::Update(bool refused) {
  if (refused == inside_) return Change::kNone;
  inside_ = refused;
  return refused ? Change::kEntered : Change::kLeft;
}

}  // namespace viewer
