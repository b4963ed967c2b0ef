// Decoding, showing single frames and playing a pair, on a 1080p recording.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "player/MovieView.h"
#include "player/VideoDecoder.h"
#include "tools/samplecard/SampleCard.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// One recording of 10 s at 1920 x 1080, 30 fps, a key frame every second.
const samplecard::WrittenRecording& Recording1080() {
  static const samplecard::WrittenRecording rec = [] {
    const char* env = std::getenv("BRENNOVALE_BENCH_DIR");
    const fs::path root = fs::path(env ? env : (fs::temp_directory_path() / "brennovale-bench").string()) / "hd";
    samplecard::CardOptions o;
    o.recordings = 1;
    o.seconds = 10;
    o.width = 1920;
    o.height = 1080;
    o.gop = 30;
    auto plan = samplecard::PlanSampleCard(root, o);
    if (!fs::exists(plan.front().data_path)) {
      auto card = samplecard::WriteSampleCard(root, o);
      if (!card) std::abort();
    }
    return plan.front();
  }();
  return rec;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_Decode1080p(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const auto& rec = Recording1080();
  double ours = 0, convert = 0;
  int pictures = 0;
  for (auto _ : state) {
    player::HRESULT hr;
    std::string why;
    player::VideoDecoder::Settings settings;
    settings.threads = threads;
    auto decoder = player::VideoDecoder::Open(rec.main_path, settings, nullptr, &hr, &why);
    if (!decoder) state.SkipWithError(why.c_str());
    pictures = 0;
    SwsContext* scaler = nullptr;
    std::chrono::steady_clock::duration converting{};
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
      const auto step = decoder->Decode({});
      if (step == player::VideoDecoder::Step::kEnded) break;
      if (step != player::VideoDecoder::Step::kPicture) continue;
      ++pictures;
      const auto before = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(player::VideoDecoder::ToImage(decoder->picture(), &scaler).constBits());
      converting += std::chrono::steady_clock::now() - before;
    }
    ours = Seconds(std::chrono::steady_clock::now() - start - converting);
    convert = Seconds(converting);
  }
  const std::string command =
      "ffmpeg -nostdin -v error -threads " + std::to_string(threads) + " -i '" + rec.main_path.string() + "' -f null -";
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) state.SkipWithError("ffmpeg failed");
  const double ffmpeg = Seconds(std::chrono::steady_clock::now() - start);
  state.counters["frames"] = pictures;
  state.counters["ours_fps"] = pictures / ours;
  state.counters["ffmpeg_fps"] = pictures / ffmpeg;
  state.counters["ratio"] = ffmpeg / ours;
  state.counters["present_ms_per_frame"] = convert * 1000 / pictures;
}
BENCHMARK(BM_Decode1080p)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

void BM_ShowFrameLatency(benchmark::State& state) {
  const auto& rec = Recording1080();
  platform::RecordingSink sink;
  player::MovieView view(&sink, &sink, {});
  view.SetUp("Noto Sans CJK JP");
  view.Open(rec.main_path);
  sink.WaitFor(player::WM_PLAYER_READY, 10s);
  while (!view.media_ready()) std::this_thread::sleep_for(10ms);
  std::mt19937 random(7);
  std::vector<double> forward, backward;
  for (auto _ : state) {
    int current = 0;
    view.ShowFrame(0);
    view.WaitForFrame(0, 10s);
    for (int i = 0; i < 100; ++i) {
      // Alternate a jump with a step or two back, as frame stepping does.
      const int target = i % 2 == 0 ? static_cast<int>(random() % 300) : std::max(0, current - 1 - static_cast<int>(random() % 3));
      const auto start = std::chrono::steady_clock::now();
      view.ShowFrame(target);
      if (!view.WaitForFrame(target, 10s)) state.SkipWithError("frame not shown");
      (target >= current ? forward : backward).push_back(Seconds(std::chrono::steady_clock::now() - start) * 1000);
      current = target;
    }
  }
  auto report = [&state](const char* name, std::vector<double> v) {
    if (v.empty()) return;
    std::sort(v.begin(), v.end());
    state.counters[std::string(name) + "_median_ms"] = v[v.size() / 2];
    state.counters[std::string(name) + "_worst_ms"] = v.back();
  };
  report("forward", forward);
  report("backward", backward);
}
BENCHMARK(BM_ShowFrameLatency)->Iterations(1)->Unit(benchmark::kSecond);

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_PlayPairAtNormalSpeed(benchmark::State& state) {
  const auto& rec = Recording1080();
  platform::RecordingSink sink;
  player::MovieView front(&sink, &sink, {}), rear(&sink, &sink, {});
  front.SetUp("Noto Sans CJK JP");
  rear.SetUp("Noto Sans CJK JP");
  front.Open(rec.main_path);
  rear.Open(rec.sub_path);
  while (!front.media_ready() || !rear.media_ready()) std::this_thread::sleep_for(10ms);
  double cpu = 0, wall = 0;
  std::int64_t shown = 0, dropped = 0;
  for (auto _ : state) {
    front.ShowFrame(0);
    rear.ShowFrame(0);
    front.WaitForFrame(0, 10s);
    rear.WaitForFrame(0, 10s);
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    front.Play();
    rear.Play();
    std::this_thread::sleep_for(5s);
    cpu = CpuSeconds() - cpu_start;
    wall = Seconds(std::chrono::steady_clock::now() - start);
    shown = front.player()->presenter()->Published().frame;
    front.Pause();
    rear.Pause();
  }
  state.counters["cpu_percent"] = 100 * cpu / wall;
  state.counters["front_frame_after_5s"] = static_cast<double>(shown);
  (void)dropped;
}
BENCHMARK(BM_PlayPairAtNormalSpeed)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
