#pragma once

#include <vector>

#include "viewer/commands/Controls.h"

namespace viewer {

// One item of the video windows' popup menu; a command of 0 is a separator.
struct MenuItem {
  int command = 0;
  int text = 0;  // UI text number
  bool greyed = false;
  bool operator==(const MenuItem&) const = default;
};

struct MenuInputs {
  PlayState state = PlayState::kClosed;
  int speed_level = 1;
  bool speed_debounce = false;
  bool fullscreen = false;
  bool keep_aspect = true;
  int size_mode = 0;
  bool busy = false;          // a file operation runs
  bool guard_allows = true;   // the command guard lets commands through
};

// The popup menu for the state; empty when no menu is shown (a file
// operation runs, or the command guard refuses).
std::vector<MenuItem> ContextMenuItems(const MenuInputs& in);

}  // namespace viewer
