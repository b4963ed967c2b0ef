#pragma once

#include <cstdint>
#include <vector>

#include "recording/SensorSamples.h"

namespace recording {
class SensorDataFile;
}

namespace mapview {

// The acceleration samples of one recording and, per video frame, which of
// them the frame shows: a copy owned by the view that draws it, so that
// painting never reads the players' data or takes their locks. The GPS
// links of the copied samples are cleared (they would point into the
// original).
class SensorSeries {
 public:
  SensorSeries() = default;
  // Copies what the data file decoded and indexed; a frame whose sample is
  // missing or lies outside the sample list maps to no sample.
  static SensorSeries Copy(const recording::SensorDataFile& data);
  // For tests and tools: samples and, per frame, a sample number (-1 none).
  SensorSeries(std::vector<recording::AccelSample> samples, std::vector<std::int32_t> frame_sample);

  // The sample frame shows; null for a frame outside the list or without one.
  const recording::AccelSample* SampleAtFrame(std::int64_t frame) const {
    if (frame < 0 || static_cast<std::uint64_t>(frame) >= frame_sample_.size()) return nullptr;
    const std::int32_t s = frame_sample_[static_cast<std::size_t>(frame)];
    return s < 0 ? nullptr : &samples_[static_cast<std::size_t>(s)];
  }
  std::int32_t frame_count() const { return static_cast<std::int32_t>(frame_sample_.size()); }
  std::int32_t sample_count() const { return static_cast<std::int32_t>(samples_.size()); }
  bool empty() const { return frame_sample_.empty() || samples_.empty(); }

 private:
  std::vector<recording::AccelSample> samples_;
  std::vector<std::int32_t> frame_sample_;  // each -1 or inside samples_
};

}  // namespace mapview
