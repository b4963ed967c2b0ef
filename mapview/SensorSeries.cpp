#include "mapview/SensorSeries.h"

#include <utility>

#include "recording/SensorDataFile.h"

namespace mapview {

SensorSeries::SensorSeries(std::vector<recording::AccelSample> samples, std::vector<std::int32_t> frame_sample)
    : samples_(std::move(samples)), frame_sample_(std::move(frame_sample)) {
  for (auto& s : samples_) s.gps_link = nullptr;
  const auto count = static_cast<std::int64_t>(samples_.size());
  for (auto& f : frame_sample_) {
    if (f < 0 || f >= count) f = -1;
  }
}

SensorSeries SensorSeries::Copy(const recording::SensorDataFile& data) {
  const auto& accel = data.accel();
  std::vector<std::int32_t> frames;
  frames.reserve(data.frame_index().size());
  for (const recording::AccelSample* p : data.frame_index()) {
    // The index points into the sample list; anything else is no sample.
    const bool inside = p != nullptr && !accel.empty() && p >= accel.data() && p < accel.data() + accel.size();
    frames.push_back(inside ? static_cast<std::int32_t>(p - accel.data()) : -1);
  }
  return SensorSeries(accel, std::move(frames));
}

}  // namespace mapview
