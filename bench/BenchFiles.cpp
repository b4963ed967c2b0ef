#include "bench/BenchFiles.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace bench {

namespace fs = std::filesystem;

namespace {

fs::path BenchRoot() {
  const char* env = std::getenv("BRENNOVALE_BENCH_DIR");
  return fs::path(env ? env : (fs::temp_directory_path() / "brennovale-bench").string());
}

}  // namespace

std::string JoinInputBase(int i) {
  char name[48];
  std::snprintf(name, sizeof name, "A__-240301-10%02d00-%06d", 15 + i, 100 + i);
  return name;
}

// The bytes are real, not a hole.
fs::path JoinInputs() {
  const fs::path root = BenchRoot() / "join";
  const fs::path in = root / "in";
  if (fs::exists(in / "complete")) return in;
  samplecard::CardOptions o;
  o.recordings = 1;
  o.seconds = 2;
  o.fill_mdat = 100ull * 1000 * 1000;
  auto card = samplecard::WriteSampleCard(root / "one", o);
  if (!card) std::abort();
  const auto& r = card->front();
  for (const char* sub : {"Main", "Sub_", "Data"}) fs::create_directories(in / sub);
  for (int i = 0; i < kJoinInputs; ++i) {
    fs::copy_file(r.main_path, in / "Main" / (JoinInputBase(i) + "M.MOV"), fs::copy_options::overwrite_existing);
    fs::copy_file(r.sub_path, in / "Sub_" / (JoinInputBase(i) + "S.MOV"), fs::copy_options::overwrite_existing);
    fs::copy_file(r.data_path, in / "Data" / (JoinInputBase(i) + "D.ADA"), fs::copy_options::overwrite_existing);
  }
  std::ofstream(in / "complete");
  return in;
}

const std::vector<samplecard::WrittenRecording>& Card1080(const char* name, int recordings, double seconds) {
  static std::map<std::string, std::vector<samplecard::WrittenRecording>> cards;
  auto& card = cards[name];
  if (!card.empty()) return card;
  const fs::path root = BenchRoot() / name;
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
