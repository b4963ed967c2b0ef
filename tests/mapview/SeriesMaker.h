#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "mapview/SensorSeries.h"

namespace mapview {

// Builds sensor series for tests: samples made by a function of their
// number, and frames mapped to samples the way frame indexing does, by
// time (frame f shows the sample recorded at f * frame period).
class SeriesMaker {
 public:
  using Fill = std::function<void(std::int32_t sample, recording::AccelSample& s)>;
  // frame_ms and period_ms as the recording's frame duration and the data's
  // record period (100 for 10 Hz, 1000/15 for 15 Hz).
  static SensorSeries Make(std::int32_t frames, double frame_ms, double period_ms, const Fill& fill);
  // One sample per frame.
  static SensorSeries OnePerFrame(std::int32_t frames, const Fill& fill);
};

}  // namespace mapview
