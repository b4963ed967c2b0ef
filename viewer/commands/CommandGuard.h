#pragma once

#include "viewer/commands/Controls.h"

namespace viewer {

// Frames before the end of a recording in which commands are refused while
// playing, so that they never race the end-of-recording step: 40 at x2, 80
// at x4, 20 otherwise.
int GuardMargin(int speed_level);

// The commands that pass the guard first: stop, previous, slow,
// fast-forward, next, join and zoom. A refused command does nothing.
bool IsGuardedCommand(int command);

// Whether a guarded command (stop, previous, slow, fast-forward, next, join,
// zoom, the context menu) may run. position and duration are frames of slot
// 0; a duration of 0 or less is unknown and refuses nothing.
bool CommandGuardAllows(bool loaded, PlayState state, int position, int duration, int speed_level);

// Fullscreen is not entered within 10 frames of the end.
bool FullscreenEntryAllowed(int position, int duration);

}  // namespace viewer
