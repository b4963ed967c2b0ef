// Joining ten recordings of about 100 MB each, against copying the same
// files with cp and joining them with ffmpeg's concat demuxer.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "bench/BenchFiles.h"
#include "recording/RecordingJoin.h"
#include "tools/samplecard/SampleCard.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecordings = bench::kJoinInputs;

fs::path Root() { return bench::JoinInputs().parent_path(); }

std::string Base(int i) { return bench::JoinInputBase(i); }

long AnonymousKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("RssAnon:", 0) == 0) return std::strtol(line.c_str() + 8, nullptr, 10);
  }
  return 0;
}

double Seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

void BM_JoinTenRecordings(benchmark::State& state) {
  const fs::path in = Root() / "in";
  const fs::path out = Root() / "out";
  for (const char* sub : {"Main", "Sub_", "Data", "cp", "ffmpeg"}) fs::create_directories(out / sub);
  double ours = 0, cp = 0, ffmpeg = 0;
  long peak_anon = 0, base_anon = 0;
  for (auto _ : state) {
    fs::remove_all(out / "cp");
    fs::create_directories(out / "cp");
    base_anon = AnonymousKiB();
    std::atomic<bool> done{false};
    std::atomic<long> peak{base_anon};
    std::thread sampler([&] {
      while (!done) {
        peak = std::max(peak.load(), AnonymousKiB());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
    ours = Seconds([&] {
      recording::RecordingJoin join(nullptr);
      bool ok = join.Start(in / "Main" / (Base(0) + "M.MOV"));
      for (int i = 1; ok && i < kRecordings; ++i) ok = join.Add(in / "Main" / (Base(i) + "M.MOV"));
      if (!ok || !join.Write(out / "Main" / (Base(0) + "M.MOV")) || !join.rear_valid()) std::abort();
    });
    done = true;
    sampler.join();
    peak_anon = peak;
    cp = Seconds([&] {
      Run("cp --reflink=never '" + (in / "Main").string() + "'/*.MOV '" + (in / "Sub_").string() + "'/*.MOV '" +
          (out / "cp").string() + "'");
    });
    std::ofstream front_list(out / "ffmpeg/front.txt"), rear_list(out / "ffmpeg/rear.txt");
    for (int i = 0; i < kRecordings; ++i) {
      front_list << "file '" << (in / "Main" / (Base(i) + "M.MOV")).string() << "'\n";
      rear_list << "file '" << (in / "Sub_" / (Base(i) + "S.MOV")).string() << "'\n";
    }
    front_list.close();
    rear_list.close();
    ffmpeg = Seconds([&] {
      for (const char* cam : {"front", "rear"}) {
        Run("ffmpeg -nostdin -v error -y -f concat -safe 0 -i '" + (out / "ffmpeg" / cam).string() + ".txt' -c copy '" +
            (out / "ffmpeg" / cam).string() + ".mov'");
      }
    });
  }
  state.counters["input_MB"] = static_cast<double>(fs::file_size(in / "Main" / (Base(0) + "M.MOV")) * 2 * kRecordings) / 1e6;
  state.counters["ours_s"] = ours;
  state.counters["cp_s"] = cp;
  state.counters["ffmpeg_s"] = ffmpeg;
  state.counters["vs_cp"] = ours / cp;
  state.counters["vs_ffmpeg"] = ours / ffmpeg;
  state.counters["anon_MB"] = static_cast<double>(peak_anon - base_anon) / 1024.0;
}
BENCHMARK(BM_JoinTenRecordings)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
