#pragma once

#include <string_view>

namespace viewer {

// Speed levels of the players: 1 normal, 2 and 4 faster, -2 half and -4
// quarter speed; -1 asks the player to toggle between normal and half speed
// (it then reports 1 or -2).
enum class SpeedCommand { kFaster, kSlower };

struct SpeedPlayer {
  // The main back end (true) steps slower differently from the fallback.
  bool main_back_end = true;
  bool can_play_backwards = false;
};

// The level the fast-forward or slow command asks for from the current level
// of slot 0. Only while playing; otherwise the answer is normal speed.
int NextSpeedLevel(SpeedCommand command, int current, bool playing, const SpeedPlayer& player);

// The speed status shown in the info area; empty at normal speed.
std::string_view SpeedText(int level);

}  // namespace viewer
