// The native map window over a one-hour drive (36 000 fixes, one a second):
// the host's reload (group and current track) drawn, and one marker move
// drawn, at the map's size in the main window.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <vector>

#include "FakeMapSink.h"
#include "mapview/NativeMapPage.h"
#include "mapview/ui/CGoogleMapDlg.h"

namespace {

constexpr int kFixes = 36000;

// A winding road at about 50 km/h with a tunnel every ten minutes.
std::vector<recording::GpsSample> OneHour() {
  std::vector<recording::GpsSample> samples;
  double lat = 35.6;
  double lng = 139.7;
  double heading = 0.0;
  for (int i = 0; i < kFixes; ++i) {
    heading += 0.02 * std::sin(i / 60.0);
    const double step = i % 600 == 0 ? 0.003 : 0.00012;
    lat += step * std::cos(heading);
    lng += step * std::sin(heading);
    samples.push_back(FakeMapSink::Fix(lat, lng, i * 30));
  }
  return samples;
}

struct Scene {
  FakeMapSink sink;
  mapview::CGoogleMapDlg map{nullptr, &sink};
  QImage image{452, 368, QImage::Format_RGB32};

  Scene() {
    map.resize(image.size());
    sink.group = OneHour();
    sink.grid = sink.group;
    sink.frame = kFixes * 15;  // half-way
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

void BM_NativeMapMoveMarkerOneHourDrawn(benchmark::State& state) {
  Scene scene;
  scene.Reload();
  int frame = 0;
  for (auto _ : state) {
    scene.sink.frame = frame;
    frame = (frame + 997 * 30) % (kFixes * 30);
    scene.map.ExecScript("orbitgrplist.MoveMarker()");
    scene.map.render(&scene.image);
  }
}
BENCHMARK(BM_NativeMapMoveMarkerOneHourDrawn)->Unit(benchmark::kMillisecond);

// The split alone, without drawing.
void BM_NativeMapMoveMarkerOneHourModel(benchmark::State& state) {
  FakeMapSink sink;
  sink.grid = OneHour();
  mapview::NativeMapPage page(&sink);
  page.Execute("orbitgrplist.CreateGridLine(0)");
  int frame = 0;
  for (auto _ : state) {
    sink.frame = frame;
    frame = (frame + 997 * 30) % (kFixes * 30);
    page.Execute("orbitgrplist.MoveMarker()");
  }
}
BENCHMARK(BM_NativeMapMoveMarkerOneHourModel)->Unit(benchmark::kMicrosecond);

}  // namespace
