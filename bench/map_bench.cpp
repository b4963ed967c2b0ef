// The native map window over a one-hour drive (36 000 fixes, ten a second)
// at the map's size in the main window: the host's reload (group and current
// track) drawn, and one marker move drawn.
#include <benchmark/benchmark.h>

#include <QImage>
#include <vector>

#include "FakeMapSink.h"

using mapview::FakeMapSink;
using mapview::Fix;
#include "mapview/NativeMapPage.h"
#include "mapview/ui/CGoogleMapDlg.h"
#include "tools/samplecard/DriveModel.h"

namespace {

constexpr int kFixes = 36000;

// The sample card's drive, ten fixes a second, frames at 30 fps.
std::vector<recording::GpsSample> OneHour() {
  samplecard::DriveModel drive(7);
  std::vector<recording::GpsSample> samples;
  for (int i = 0; i < kFixes; ++i) {
    const samplecard::DriveModel::State state = drive.At(i / 10.0, false);
    samples.push_back(Fix(state.latitude, state.longitude, i * 3));
  }
  return samples;
}

struct Scene {
  FakeMapSink sink;
  mapview::CGoogleMapDlg map{nullptr, &sink};
  QImage image{452, 368, QImage::Format_RGB32};

  // The current recording: the whole hour, or its last `fixes`.
  explicit Scene(int fixes = kFixes) {
    map.resize(image.size());
    sink.group = OneHour();
    sink.grid.emplace(sink.group.end() - fixes, sink.group.end());
    sink.frame = sink.grid->at(static_cast<std::size_t>(fixes / 2)).time;  // half-way
  }
  void Reload() {
    map.ExecScript("orbitgrplist.RemoveLineList()");
    map.ExecScript("orbitgrplist.CreateLine()");
    map.ExecScript("orbitgrplist.CreateGridLine(0)");
  }
};

void BM_NativeMapReloadOneHourDrawn(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    scene.Reload();
    scene.map.render(&scene.image);
  }
}
BENCHMARK(BM_NativeMapReloadOneHourDrawn)->Unit(benchmark::kMillisecond);

// One second of playback: the marker moves, the window draws again. The
// current recording is the whole hour (worst case) or three minutes of it.
void BM_NativeMapMoveMarkerDrawn(benchmark::State& state) {
  const int fixes = static_cast<int>(state.range(0));
  Scene scene(fixes);
  scene.Reload();
  const int first = scene.sink.grid->front().time;
  int step = 0;
  for (auto _ : state) {
    scene.sink.frame = first + (step++ * 997 * 3) % (fixes * 3);
    scene.map.ExecScript("orbitgrplist.MoveMarker()");
    scene.map.render(&scene.image);
  }
}
BENCHMARK(BM_NativeMapMoveMarkerDrawn)->Arg(kFixes)->Arg(1800)->Unit(benchmark::kMillisecond);

// The split alone, without drawing.
void BM_NativeMapMoveMarkerOneHourModel(benchmark::State& state) {
  FakeMapSink sink;
  sink.grid = OneHour();
  mapview::NativeMapPage page(&sink);
  page.Execute("orbitgrplist.CreateGridLine(0)");
  int frame = 0;
  for (auto _ : state) {
    sink.frame = frame;
    frame = (frame + 997 * 3) % (kFixes * 3);
    page.Execute("orbitgrplist.MoveMarker()");
  }
}
BENCHMARK(BM_NativeMapMoveMarkerOneHourModel)->Unit(benchmark::kMicrosecond);

}  // namespace
