#pragma once

namespace player {

// The playback speed of a rate code. Code -1 toggles between x1.0 and x0.5
// (see MovieView); every code not listed plays at x1.0.
double SpeedOfRateCode(int code, bool can_play_backwards);

}  // namespace player
