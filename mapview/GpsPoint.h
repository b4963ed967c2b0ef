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

// A fix the map can draw: its valid flag set and both degrees finite (a
// damaged record can hold anything).
bool DrawableFix(const recording::GpsSample& sample);

// The drawable fixes of a sample list, in list order. The frame numbers of
// consecutive points may jump where other fixes were.
std::vector<GpsPoint> ValidGpsPoints(const std::vector<recording::GpsSample>& samples);

}  // namespace mapview
