// Opening recordings, decoding sensor data and indexing it by frame.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "recording/BoxTree.h"
#include "recording/MappedFileReader.h"
#include "recording/SensorDataFile.h"
#include "tools/samplecard/SampleCard.h"
#include "tools/samplecard/SensorLog.h"

namespace {

const std::filesystem::path& BenchDir() {
  static const std::filesystem::path dir = [] {
    const char* env = std::getenv("BRENNOVALE_BENCH_DIR");
    std::filesystem::path d = env ? env : std::filesystem::temp_directory_path() / "brennovale-bench";
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// One recording of about 1 GB: 10 s of video, the rest a hole at the end of mdat.
const std::filesystem::path& LargeRecording() {
  static const std::filesystem::path path = [] {
    samplecard::CardOptions o;
    o.recordings = 1;
    o.seconds = 10;
    o.width = 640;
    o.height = 360;
    o.pad_mdat = 1000ull * 1000 * 1000;
    const auto root = BenchDir() / "large";
    auto plan = samplecard::PlanSampleCard(root, o);
    if (!std::filesystem::exists(plan.front().main_path)) {
      auto card = samplecard::WriteSampleCard(root, o);
      if (!card) std::abort();
    }
    return plan.front().main_path;
  }();
  return path;
}

double MedianSeconds(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void BM_OpenRecording(benchmark::State& state) {
  const auto& path = LargeRecording();
  std::vector<double> ours;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto tree = recording::BoxTree::Open(path, false);
    auto timing = recording::ReadRecordingTiming(path);
    if (!tree || !timing) state.SkipWithError("cannot open the recording");
    benchmark::DoNotOptimize(timing->frame_duration_ms);
    ours.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::vector<double> peer;
  const std::string command = "ffprobe -v error -show_format -show_streams '" + path.string() + "' >/dev/null";
  for (int i = 0; i < 9; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) state.SkipWithError("ffprobe failed");
    peer.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["file_GB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e9;
  state.counters["ours_ms"] = MedianSeconds(ours) * 1e3;
  state.counters["ffprobe_ms"] = MedianSeconds(peer) * 1e3;
  state.counters["ratio"] = MedianSeconds(ours) / MedianSeconds(peer);
}
BENCHMARK(BM_OpenRecording)->Unit(benchmark::kMillisecond)->Iterations(20);

// One hour of sensor data written as the recorder does.
std::filesystem::path HourOfData(int hz) {
  const auto path = BenchDir() / ("hour-" + std::to_string(hz) + "hz.ADA");
  if (std::filesystem::exists(path)) return path;
  samplecard::SensorHeaderFields header;
  header.rate = hz == 15 ? 'T' : 'N';
  std::vector<std::array<std::uint8_t, 124>> records;
  for (int i = 0; i < 3600 * hz; ++i) {
    samplecard::SensorRecordFields r;
    const int second = i / hz;
    r.latitude = 35.68 + i * 1e-6;
    r.longitude = 139.76 + i * 1e-6;
    r.speed = 40 + (i % 20);
    r.hour = 10 + second / 3600;
    r.minute = second / 60 % 60;
    r.second = second % 60;
    r.x_mg = (i * 37) % 300 - 150;
    r.y_mg = (i * 53) % 200 - 100;
    r.z_mg = (i * 11) % 60 - 30;
    records.push_back(samplecard::FormatRecord(r));
  }
  const auto bytes = samplecard::FormatBlock(header, records);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

void BM_DecodeSensorData(benchmark::State& state) {
  const auto path = HourOfData(static_cast<int>(state.range(0)));
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
  recording::SensorDataFile data;
  for (auto _ : state) {
    if (!data.Load(path)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(data.gps().data());
  }
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["records"] = static_cast<double>(data.gps().size());
}
BENCHMARK(BM_DecodeSensorData)->Arg(10)->Arg(15)->Unit(benchmark::kMillisecond);

void BM_IndexFramesOfAnHour(benchmark::State& state) {
  const auto path = HourOfData(10);
  recording::SensorDataFile data;
  for (auto _ : state) {
    state.PauseTiming();
    data.Load(path);
    data.set_frame_duration(1000.0f / 30.0f);
    state.ResumeTiming();
    if (!data.IndexFrames(30 * 3600)) state.SkipWithError("indexing failed");
    benchmark::DoNotOptimize(data.frame_index().data());
  }
}
BENCHMARK(BM_IndexFramesOfAnHour)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
