#pragma once

#include "platform/LocalTime.h"

namespace mapview {

// What the info panel needs of the recording on screen to tell the time of
// a frame.
struct InfoRecording {
  bool time_valid = false;  // a recording is loaded
  platform::SystemTime start;  // its start, from its name
  float frame_interval_ms = 0.0F;  // milliseconds per frame, as stored (32-bit)
  bool time_lapse = false;  // elapsed time counts 15 times faster
};

}  // namespace mapview
