#include "mapview/GraphPlan.h"

#include <algorithm>

#include "mapview/DetectorTable.h"
#include "mapview/GraphScale.h"
#include "mapview/SensorSeries.h"

namespace mapview {
namespace {

void AppendKeepingEnds(std::vector<GraphPlan::Point>& line, GraphPlan::Point p) {
  // The middle one of three points on one row adds nothing to the line.
  const std::size_t n = line.size();
  if (n >= 2 && line[n - 1].y == p.y && line[n - 2].y == p.y) {
    line[n - 1] = p;
  } else {
    line.push_back(p);
  }
}

}  // namespace

GraphPlan GraphPlan::Make(const SensorSeries& series, const DetectorTable& detectors, int width, int height,
                          int zoom) {
  GraphPlan plan;
  const std::int64_t frames = series.frame_count();
  const int drawable = width - GraphScale::kLeftMargin - 1;
  if (series.empty() || drawable <= 0) return plan;
  const GraphScale scale(height, zoom);
  const std::int64_t steps = std::min<std::int64_t>(frames, drawable);
  const double step_width = std::max(static_cast<double>(drawable) / static_cast<double>(frames), 1.0);
  plan.steps = steps;
  auto x_of = [&](std::int64_t k) { return GraphScale::kLeftMargin + static_cast<int>(static_cast<double>(k) * step_width); };
  auto first_frame = [&](std::int64_t k) { return k * frames / steps; };

  const bool axis_on[3] = {detectors.Shown(0, DetectorTable::Use::kGraph),
                           detectors.Shown(1, DetectorTable::Use::kGraph),
                           detectors.Shown(2, DetectorTable::Use::kGraph)};
  const bool band_on = detectors.Shown(DetectorTable::kSpeedingEntry, DetectorTable::Use::kGraph);
  std::array<std::vector<Marker>, DetectorTable::kEntries> lists;

  for (std::int64_t k = 0; k < steps; ++k) {
    const int x = x_of(k);
    const std::int64_t from = first_frame(k);
    const std::int64_t to = first_frame(k + 1);
    if (const recording::AccelSample* s = series.SampleAtFrame(from)) {
      const double values[3] = {s->x, s->y, s->z};
      for (std::size_t a = 0; a < 3; ++a) {
        if (axis_on[a]) AppendKeepingEnds(plan.traces[a], {x, scale.RowOf(values[a])});
      }
    }
    if (band_on) {
      for (std::int64_t f = from; f < to; ++f) {
        const recording::AccelSample* s = series.SampleAtFrame(f);
        if (s == nullptr || detectors.Detect(DetectorTable::kSpeedingEntry, *s) != 8) continue;
        const int right = std::max(x + 1, x_of(k + 1));
        if (!plan.band.empty() && plan.band.back().right >= x) {
          plan.band.back().right = right;
        } else {
          plan.band.push_back({x, right});
        }
        break;
      }
    }
    for (int entry : DetectorTable::SearchOrder()) {
      if (!detectors.Shown(entry, DetectorTable::Use::kGraph)) continue;
      for (std::int64_t f = from; f < to; ++f) {
        const int kind = detectors.EventStart(series, entry, f);
        if (kind < 0) continue;
        lists[static_cast<std::size_t>(entry)].push_back({x, kind, entry});
        break;
      }
    }
  }
  for (const auto& list : lists) plan.markers.insert(plan.markers.end(), list.begin(), list.end());
  return plan;
}

}  // namespace mapview
