// The map host's answer to JS2C_GetGPSData for a one-hour track (36 000
// fixes at 10 Hz): the JSON array the page reads, and the packed form the
// page's shim receives and unpacks into it.
#include <benchmark/benchmark.h>

#include "mapview/HostWebViewObject.h"
#include "tools/mapdemo/DemoMapSink.h"

namespace {

template <std::string (*Write)(const std::vector<recording::GpsSample>&)>
void BM_OneHour(benchmark::State& state) {
  const auto track = mapdemo::DemoTrack(36000, 0.1);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string json = Write(track);
    bytes = json.size();
    benchmark::DoNotOptimize(json.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_OneHour<mapview::HostWebViewObject::GpsPointArray>)
    ->Name("BM_GpsPointArrayOneHour")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneHour<mapview::HostWebViewObject::PackedGpsPointArray>)
    ->Name("BM_PackedGpsPointArrayOneHour")
    ->Unit(benchmark::kMillisecond);

// As the page's call arrives: the sink's copy of the track and the packed
// answer.
void BM_HostCallGetGPSDataOneHour(benchmark::State& state) {
  mapdemo::DemoMapSink sink;
  sink.track = mapdemo::DemoTrack(36000, 0.1);
  mapview::HostWebViewObject host;
  host.set_sink(&sink);
  for (auto _ : state) {
    benchmark::DoNotOptimize(host.Call("JS2C_GetGPSData", "[]", mapview::HostWebViewObject::TrackForm::kPacked));
  }
}
BENCHMARK(BM_HostCallGetGPSDataOneHour)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
