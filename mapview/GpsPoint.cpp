#include "mapview/GpsPoint.h"

#include <cmath>

namespace mapview {

bool DrawableFix(const recording::GpsSample& sample) {
  return sample.fix_valid != 0 && std::isfinite(sample.latitude) && std::isfinite(sample.longitude);
}

std::vector<GpsPoint> ValidGpsPoints(const std::vector<recording::GpsSample>& samples) {
  std::vector<GpsPoint> points;
  points.reserve(samples.size());
  for (const recording::GpsSample& sample : samples) {
    if (DrawableFix(sample)) points.push_back({sample.latitude, sample.longitude, sample.time});
  }
  return points;
}

}  // namespace mapview
