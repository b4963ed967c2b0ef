#pragma once

#include "library/SourceScanner.h"
#include "viewer/commands/ControlSet.h"

namespace viewer {

// Everything the enabled state of the controls depends on.
struct ControlInputs {
  int entry_count = 0;     // entries of the recording list; 0 also when there is no list
  int current_index = -1;  // the current recording, -1 when none
  PlayState state = PlayState::kClosed;
  int speed_level = 1;
  bool loaded = false;  // a recording can be played
  library::SourceKind source = library::SourceKind::kNone;
  int size_mode = 0;
  // A background file operation runs: everything waits for it.
  bool busy = false;
  // A recording is being opened (wait cursor), or playback is inside the
  // refused zone near the end: the bar and the position slider wait.
  bool held = false;
  // Slow and fast-forward rest for a moment after a speed change or an event jump.
  bool speed_debounce = false;
};

// The controls to enable for a state; all others are disabled. Recomputed
// after every change of the inputs.
ControlSet EnabledControls(const ControlInputs& in);

}  // namespace viewer
