// The acceleration graph over a one-hour recording (108 000 frames at 30 fps,
// 36 000 samples at 10 Hz): the event search of every entry at every frame,
// the drawing of the cached image, and one playback tick's cursor move.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QRegion>
#include <cmath>
#include <vector>

#include "mapview/DetectorTable.h"
#include "mapview/GraphPlan.h"
#include "mapview/SensorSeries.h"
#include "mapview/ui/CGSensorDlg.h"

namespace {

constexpr std::int32_t kFrames = 108000;
constexpr int kWidth = 656;  // the graph in the window's size mode 0
constexpr int kHeight = 169;

// Wavy accelerations with an event of some kind every 20 seconds, a few
// seconds of speeding every five minutes.
const mapview::SensorSeries& OneHour() {
  static const mapview::SensorSeries series = [] {
    std::vector<recording::AccelSample> samples(kFrames / 3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      auto& s = samples[i];
      s.index = static_cast<std::int32_t>(i);
      s.x = 0.4 * std::sin(static_cast<double>(i) * 0.05);
      s.y = 0.3 * std::cos(static_cast<double>(i) * 0.031);
      s.z = 0.1 * std::sin(static_cast<double>(i) * 0.7);
      const std::size_t second = i / 10;
      if (second % 20 == 0 && i % 10 < 3) {
        static constexpr int kEvents[] = {5, 6, 7, 11, 12, 13};
        s.event = kEvents[(second / 20) % 6];
        s.axis = static_cast<std::int32_t>(1 + (second / 20) % 3);
      }
      if (second % 300 < 4) s.flag = 8;
    }
    std::vector<std::int32_t> frames(kFrames);
    for (std::int32_t f = 0; f < kFrames; ++f) frames[static_cast<std::size_t>(f)] = f / 3;
    return mapview::SensorSeries(std::move(samples), std::move(frames));
  }();
  return series;
}

// What the window's event points need: every frame, every entry.
void BM_EventSearchOneHourAllEntries(benchmark::State& state) {
  const auto& series = OneHour();
  const mapview::DetectorTable table;
  for (auto _ : state) {
    int starts = 0;
    for (std::int32_t f = 0; f < kFrames; ++f) {
      for (int e : mapview::DetectorTable::SearchOrder()) starts += table.EventStart(series, e, f) >= 0;
    }
    benchmark::DoNotOptimize(starts);
  }
}
BENCHMARK(BM_EventSearchOneHourAllEntries)->Unit(benchmark::kMillisecond);

void BM_GraphPlanOneHour(benchmark::State& state) {
  const auto& series = OneHour();
  const mapview::DetectorTable table;
  for (auto _ : state) benchmark::DoNotOptimize(mapview::GraphPlan::Make(series, table, kWidth, kHeight, 1));
}
BENCHMARK(BM_GraphPlanOneHour)->Unit(benchmark::kMillisecond);

// The graph at its size in the window, showing the hour.
struct HourGraph {
  HourGraph() {
    graph.resize(kWidth, kHeight);
    graph.SetSeries(OneHour());
    graph.SetShowData(true);
  }
  mapview::CGSensorDlg graph{nullptr, nullptr};
  QImage target{kWidth, kHeight, QImage::Format_RGB32};
};

// The cached image drawn again (the zoom changes each time) and shown.
void BM_GraphCacheOneHour(benchmark::State& state) {
  HourGraph hour;
  auto& [graph, target] = hour;
  int zoom = 0;
  for (auto _ : state) {
    graph.SetZoom(zoom = (zoom + 1) % 4);
    graph.render(&target);
  }
  state.counters["renders"] = graph.cache_renders();
}
BENCHMARK(BM_GraphCacheOneHour)->Unit(benchmark::kMillisecond);

// One tick: the cursor moves one frame and the two columns it leaves and
// enters are painted from the cached image.
void BM_GraphCursorTick(benchmark::State& state) {
  HourGraph hour;
  auto& [graph, target] = hour;
  graph.render(&target);
  std::int64_t frame = 0;
  for (auto _ : state) {
    const int old_x = graph.CursorX();
    frame = (frame + 1) % kFrames;
    graph.MoveCursor(frame);
    const QRegion columns = QRegion(old_x, 0, 1, kHeight) + QRegion(graph.CursorX(), 0, 1, kHeight);
    graph.render(&target, QPoint(), columns);
  }
  state.counters["renders"] = graph.cache_renders();
}
BENCHMARK(BM_GraphCursorTick)->Unit(benchmark::kMicrosecond);

}  // namespace
