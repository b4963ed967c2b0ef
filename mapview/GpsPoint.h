#pragma once

#include <cstdint>
#include <vector>

#include "recording/SensorSamples.h"

namespace mapview {

// One fix of a track as the map draws it: where, and the frame of the
// recording the fix belongs to.
struct GpsPoint {
  double lat = 0.0;
  double lng = 0.0;
  std::int32_t frame = 0;
};

// The fixes of a sample list whose valid flag is set, in list order. The
// frame numbers of consecutive points may jump where invalid fixes were.
std::vector<GpsPoint> ValidGpsPoints(const std::vector<recording::GpsSample>& samples);

}  // namespace mapview
