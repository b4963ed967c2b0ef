#include "mapview/GpsPoint.h"

namespace mapview {

std::vector<GpsPoint> ValidGpsPoints(const std::vector<recording::GpsSample>& samples) {
  std::vector<GpsPoint> points;
  points.reserve(samples.size());
  for (const recording::GpsSample& sample : samples) {
    if (sample.fix_valid != 0) points.push_back({sample.latitude, sample.longitude, sample.time});
  }
  return points;
}

}  // namespace mapview
