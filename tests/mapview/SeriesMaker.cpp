#include "SeriesMaker.h"

#include <cmath>

namespace mapview {

SensorSeries SeriesMaker::Make(std::int32_t frames, double frame_ms, double period_ms, const Fill& fill) {
  std::vector<std::int32_t> index;
  std::int32_t last = 0;
  for (std::int32_t f = 0; f < frames; ++f) {
    last = static_cast<std::int32_t>(std::floor(f * frame_ms / period_ms + 1e-9));
    index.push_back(last);
  }
  std::vector<recording::AccelSample> samples(static_cast<std::size_t>(frames > 0 ? last + 1 : 0));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i].index = static_cast<std::int32_t>(i);
    if (fill) fill(static_cast<std::int32_t>(i), samples[i]);
  }
  return SensorSeries(std::move(samples), std::move(index));
}

SensorSeries SeriesMaker::OnePerFrame(std::int32_t frames, const Fill& fill) { return Make(frames, 1.0, 1.0, fill); }

}  // namespace mapview
