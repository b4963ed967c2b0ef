// Decoding, showing single frames and playing a pair, on a 1080p recording.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "bench/BenchFiles.h"
#include "platform/RecordingSink.h"
#include "player/MovieView.h"
#include "player/VideoDecoder.h"
#include "player/ViewPair.h"
#include "tools/samplecard/SampleCard.h"
#include "viewer/commands/PositionSync.h"
#include "viewer/commands/ViewPairPlayers.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// One recording of 10 s at 1920 x 1080, 30 fps, a key frame every second.
const samplecard::WrittenRecording& Recording1080() { return bench::Card1080("hd", 1, 10).front(); }

using bench::CpuSeconds;
using bench::ResidentMb;
using bench::Seconds;

// Frames per second of `ffmpeg -f null` decoding the same file, timed here.
double FfmpegDecodeRate(const fs::path& path, int threads, int frames) {
  const std::string command =
      "ffmpeg -nostdin -v error -threads " + std::to_string(threads) + " -i '" + path.string() + "' -f null -";
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return 0;
  return frames / Seconds(std::chrono::steady_clock::now() - start);
}

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
  const double ffmpeg_fps = FfmpegDecodeRate(rec.main_path, threads, pictures);
  if (ffmpeg_fps <= 0) state.SkipWithError("ffmpeg failed");
  state.counters["frames"] = pictures;
  state.counters["ours_fps"] = pictures / ours;
  state.counters["ffmpeg_fps"] = ffmpeg_fps;
  state.counters["ratio"] = (pictures / ours) / ffmpeg_fps;
  state.counters["present_ms_per_frame"] = convert * 1000 / pictures;
}
BENCHMARK(BM_Decode1080p)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

void Report(benchmark::State& state, const std::string& name, std::vector<double> ms) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters[name + "_median_ms"] = ms[ms.size() / 2];
  state.counters[name + "_worst_ms"] = ms.back();
}

// Show-frame from a random frame to another (a jump: back to a key frame and
// decoding on), and single steps either way, at 1080p with a 1-s GOP.
void BM_ShowFrameLatency(benchmark::State& state) {
  const auto& rec = Recording1080();
  platform::RecordingSink sink;
  player::MovieView view(&sink, &sink, {});
  view.SetUp("Noto Sans CJK JP");
  view.Open(rec.main_path);
  sink.WaitFor(player::WM_PLAYER_READY, 10s);
  while (!view.media_ready()) std::this_thread::sleep_for(10ms);
  const int frames = view.FrameCount();
  std::mt19937 random(7);
  std::vector<double> jumps, forward, backward;
  auto show = [&](int target, std::vector<double>& into) {
    const auto start = std::chrono::steady_clock::now();
    view.ShowFrame(target);
    if (!view.WaitForFrame(target, 10s)) state.SkipWithError("frame not shown");
    into.push_back(Seconds(std::chrono::steady_clock::now() - start) * 1000);
  };
  for (auto _ : state) {
    show(0, jumps);
    jumps.clear();
    for (int i = 0; i < 40; ++i) {
      int current = static_cast<int>(random() % frames);
      show(current, jumps);
      // A few steps on and back, as frame stepping does.
      for (int s = 0; s < 3 && current + 1 < frames; ++s) show(++current, forward);
      for (int s = 0; s < 6 && current > 0; ++s) show(--current, backward);
    }
  }
  Report(state, "jump", jumps);
  Report(state, "step_forward", forward);
  Report(state, "step_back", backward);
  const double ffmpeg = FfmpegDecodeRate(rec.main_path, 0, frames);
  state.counters["ffmpeg_fps"] = ffmpeg;
  // A jump decodes half a GOP on average from its key frame.
  state.counters["half_gop_at_ffmpeg_rate_ms"] = ffmpeg > 0 ? 15 * 1000 / ffmpeg : 0;
}
BENCHMARK(BM_ShowFrameLatency)->Iterations(1)->Unit(benchmark::kSecond);

// Selecting a recording until both views show frame 0, as the window does
// it: the pair playing the previous recording is closed, the new one opened,
// and once every view is ready frame 0 is shown in both. close and open are
// the driving (UI) thread's own time; to_frame_zero is the whole of it.
void BM_OpenPairToFrameZero(benchmark::State& state) {
  const auto& rec = Recording1080();
  platform::RecordingSink sink;
  player::ViewPair pair(&sink, {&sink, {}}, {&sink, {}});
  player::MovieView& front = pair.view(player::ViewPair::kFront);
  player::MovieView& rear = pair.view(player::ViewPair::kRear);
  pair.SetUp("Noto Sans CJK JP");
  auto wait_ready = [&] {
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!pair.media_ready() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    return pair.media_ready();
  };
  if (pair.Open(rec.main_path) != player::S_OK || !wait_ready()) state.SkipWithError("the pair does not open");
  std::vector<double> closing, opening, total;
  for (auto _ : state) {
    // The previous recording plays when the next is selected.
    state.PauseTiming();
    pair.Play();
    std::this_thread::sleep_for(300ms);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    pair.Close();
    const auto closed = std::chrono::steady_clock::now();
    const player::HRESULT hr = pair.Open(rec.main_path);
    const auto opened = std::chrono::steady_clock::now();
    if (hr != player::S_OK || !wait_ready()) {
      state.SkipWithError("the pair does not open");
      break;
    }
    pair.Seek(0);
    if (!front.WaitForFrame(0, 10s) || !rear.WaitForFrame(0, 10s)) {
      state.SkipWithError("frame 0 not shown");
      break;
    }
    const auto shown = std::chrono::steady_clock::now();
    closing.push_back(Seconds(closed - start) * 1000);
    opening.push_back(Seconds(opened - closed) * 1000);
    total.push_back(Seconds(shown - start) * 1000);
  }
  pair.Close();
  Report(state, "close", closing);
  Report(state, "open", opening);
  Report(state, "to_frame_zero", total);
}
BENCHMARK(BM_OpenPairToFrameZero)->Iterations(15)->Unit(benchmark::kMillisecond);

// Both cameras of a 1080p recording from their opening, in the first three
// seconds: how far the screen is behind the clock (the clock past the end of
// the older picture's frame time; 0 while each view shows the frame the
// clock is in) and the age of the pictures on screen (the clock minus their
// frame time, up to one frame, 33 ms, when all is well), how far front and
// rear are apart; and the memory the pair holds while playing.
void BM_PlayPairFromTheStart(benchmark::State& state) {
  const auto& rec = Recording1080();
  double worst_lag = 0, mean_lag = 0, worst_behind = 0, mean_behind = 0, worst_at = 0, worst_apart = 0, resident = 0, cpu = 0, wall = 0;
  std::int64_t late_dropped = 0;
  const double before = ResidentMb();
  for (auto _ : state) {
    platform::RecordingSink sink;
    player::ViewPair pair(&sink, {&sink, {}}, {&sink, {}});
    player::MovieView& front = pair.view(player::ViewPair::kFront);
    player::MovieView& rear = pair.view(player::ViewPair::kRear);
    pair.SetUp("Noto Sans CJK JP");
    pair.Open(rec.main_path);
    while (!pair.media_ready()) std::this_thread::sleep_for(10ms);
    pair.ShowFrame(0);
    front.WaitForFrame(0, 10s);
    rear.WaitForFrame(0, 10s);
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    pair.Play();
    const double frame_ms = front.FrameDuration();
    double lag_sum = 0, behind_sum = 0;
    int samples = 0;
    while (std::chrono::steady_clock::now() - start < 5s) {
      std::this_thread::sleep_for(2ms);
      resident = std::max(resident, ResidentMb());
      if (std::chrono::steady_clock::now() - start > 3s) continue;
      const std::int64_t clock = front.player()->clock().Time();
      const std::int64_t shown_front = front.FrameOnScreen().time, shown_rear = rear.FrameOnScreen().time;
      const double lag = (clock - std::min(shown_front, shown_rear)) / 10000.0;
      // Behind the clock: past the end of the older picture's own frame time.
      const double behind = std::max(0.0, lag - frame_ms);
      if (behind > worst_behind) worst_at = Seconds(std::chrono::steady_clock::now() - start) * 1000;
      worst_behind = std::max(worst_behind, behind);
      worst_lag = std::max(worst_lag, lag);
      lag_sum += lag;
      behind_sum += behind;
      ++samples;
      worst_apart = std::max(worst_apart, std::abs(shown_front - shown_rear) / 10000.0);
    }
    cpu = CpuSeconds() - cpu_start;
    wall = Seconds(std::chrono::steady_clock::now() - start);
    late_dropped = front.player()->late_dropped() + rear.player()->late_dropped();
    mean_lag = samples > 0 ? lag_sum / samples : 0;
    mean_behind = samples > 0 ? behind_sum / samples : 0;
    pair.Pause();
  }
  state.counters["shown_frame_age_worst_ms"] = worst_lag;
  state.counters["shown_frame_age_mean_ms"] = mean_lag;
  state.counters["start_lag_worst_ms"] = worst_behind;
  state.counters["start_lag_mean_ms"] = mean_behind;
  state.counters["start_lag_worst_at_ms"] = worst_at;
  state.counters["front_rear_apart_worst_ms"] = worst_apart;
  state.counters["resident_mb"] = resident;
  state.counters["resident_before_open_mb"] = before;
  state.counters["cpu_percent"] = 100 * cpu / wall;
  state.counters["late_skipped"] = static_cast<double>(late_dropped);
}
BENCHMARK(BM_PlayPairFromTheStart)->Iterations(1)->Unit(benchmark::kSecond);

// The playback tick's own work while a 1080p pair plays at x1: the position
// read, the guard zone, and the sample shown under the data lock (the views
// take the values and do nothing with them here).
void BM_PlaybackTick1080p(benchmark::State& state) {
  const auto& rec = Recording1080();
  double worst_ms = 0, sum_ms = 0;
  int ticks = 0;
  for (auto _ : state) {
    platform::RecordingSink sink;
    player::ViewPair pair(&sink, {&sink, {}}, {&sink, {}});
    pair.SetUp("Noto Sans CJK JP");
    pair.Open(rec.main_path);
    while (!pair.media_ready()) std::this_thread::sleep_for(10ms);
    pair.LoadSensorData(rec.main_path);
    viewer::ViewPairPlayers players(pair);
    viewer::PositionSync sync(players, nullptr);
    sync.Start();
    pair.Play();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 3s) {
      std::this_thread::sleep_for(30ms);
      const auto before = std::chrono::steady_clock::now();
      sync.Tick();
      const double ms = Seconds(std::chrono::steady_clock::now() - before) * 1000;
      worst_ms = std::max(worst_ms, ms);
      sum_ms += ms;
      ++ticks;
    }
    pair.Pause();
  }
  state.counters["tick_mean_ms"] = ticks > 0 ? sum_ms / ticks : 0;
  state.counters["tick_worst_ms"] = worst_ms;
  state.counters["ticks"] = ticks;
}
BENCHMARK(BM_PlaybackTick1080p)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
