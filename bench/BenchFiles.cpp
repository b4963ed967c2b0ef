#include "bench/BenchFiles.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace bench {

namespace fs = std::filesystem;

const std::vector<samplecard::WrittenRecording>& Card1080(const char* name, int recordings, double seconds) {
  static std::map<std::string, std::vector<samplecard::WrittenRecording>> cards;
  auto& card = cards[name];
  if (!card.empty()) return card;
  const char* env = std::getenv("BRENNOVALE_BENCH_DIR");
  const fs::path root = fs::path(env ? env : (fs::temp_directory_path() / "brennovale-bench").string()) / name;
  samplecard::CardOptions o;
  o.recordings = recordings;
  o.seconds = seconds;
  o.width = 1920;
  o.height = 1080;
  o.gop = 30;
  card = samplecard::PlanSampleCard(root, o);
  bool written = true;
  for (const auto& r : card) written = written && fs::exists(r.data_path);
  if (!written && !samplecard::WriteSampleCard(root, o)) std::abort();
  return card;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ResidentMb() {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return 0;
  long pages = 0, resident = 0;
  const int read = std::fscanf(f, "%ld %ld", &pages, &resident);
  std::fclose(f);
  return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1048576.0) : 0;
}

}  // namespace bench
