// Scanning a card of many recordings.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "library/SourceScanner.h"

namespace {

namespace fs = std::filesystem;

// A card made once under the temporary folder and kept for later runs.
fs::path CardMadeOnce(const std::string& name, const std::function<void(const fs::path&)>& fill) {
  const fs::path card = fs::temp_directory_path() / "brennovale-bench" / name;
  if (!fs::exists(card / "complete")) {
    fill(card);
    std::ofstream(card / "complete");
  }
  return card;
}

// A file that passes the recording check: an "ftyp" box and padding.
std::string StubRecording() {
  std::string ftyp(300, '\0');
  ftyp.replace(0, 12, std::string("\0\0\0\x14" "ftypqt  ", 12));
  return ftyp;
}

// 1000 recordings of tiny files (front, rear, data) in the recorder's layout.
const fs::path& ThousandRecordingCard() {
  static const fs::path root = CardMadeOnce("card-1000", [](const fs::path& card) {
    for (int i = 0; i < 1000; ++i) {
      const char* top = i < 800 ? "Normal" : "Parking";
      const int t = 60 * i;
      char base[40];
      std::snprintf(base, sizeof base, "%s-2403%02d-%02d%02d%02d-%06d", i < 800 ? "A__" : "P__", 1 + t / 86400,
                    t / 3600 % 24, t / 60 % 60, t % 60, i);
      for (const auto& [folder, suffix] : {std::pair{"Main", "M.MOV"}, {"Sub_", "S.MOV"}, {"Data", "D.ADA"}}) {
        fs::create_directories(card / top / folder);
        std::ofstream(card / top / folder / (std::string(base) + suffix), std::ios::binary)
            << (std::string(folder) == "Data" ? std::string("CSMDAT0400040005000000M010402HNN") : StubRecording());
      }
    }
  });
  return root;
}

void BM_ScanCardOfAThousandRecordings(benchmark::State& state) {
  const fs::path& card = ThousandRecordingCard();
  library::SourceScanner scanner(nullptr);
  for (auto _ : state) {
    scanner.OpenSource(card, library::SourceKind::kCard);
    scanner.SelectItem(scanner.InitialItem());
    benchmark::DoNotOptimize(scanner.entries().size());
  }
  state.counters["tree_items"] = static_cast<double>(scanner.tree().size());
  state.counters["firmware"] = scanner.firmware_version().empty() ? 0 : 1;
}
BENCHMARK(BM_ScanCardOfAThousandRecordings)->Unit(benchmark::kMillisecond);

void BM_CollectAllOfAThousandRecordings(benchmark::State& state) {
  library::SourceScanner scanner(nullptr);
  scanner.OpenSource(ThousandRecordingCard(), library::SourceKind::kCard);
  for (auto _ : state) benchmark::DoNotOptimize(scanner.CollectAllRecordings().size());
}
BENCHMARK(BM_CollectAllOfAThousandRecordings)->Unit(benchmark::kMillisecond);

// 1600 front files whose names start a group each ("A_S"), as a recorder
// makes them in one-shot mode.
const fs::path& OneRecordingGroupsCard() {
  static const fs::path root = CardMadeOnce("card-1600-groups", [](const fs::path& card) {
    fs::create_directories(card / "Normal/Main");
    fs::create_directories(card / "Parking");
    for (int i = 0; i < 1600; ++i) {
      char name[40];
      std::snprintf(name, sizeof name, "A_S-240301-000000-%06dM.MOV", i);
      std::ofstream(card / "Normal/Main" / name, std::ios::binary) << StubRecording();
    }
  });
  return root;
}

// What brennovale-info --scan does: open the card, select every group item
// (each selection lists and groups the whole folder again), collect all.
void BM_SelectEveryOneRecordingGroup(benchmark::State& state) {
  const fs::path& card = OneRecordingGroupsCard();
  library::SourceScanner scanner(nullptr);
  for (auto _ : state) {
    scanner.OpenSource(card, library::SourceKind::kCard);
    std::size_t listed = 0;
    for (const auto& group : scanner.tree().top()[0]->children) listed += scanner.SelectItem(group.get());
    benchmark::DoNotOptimize(listed);
    benchmark::DoNotOptimize(scanner.CollectAllRecordings().size());
  }
}
BENCHMARK(BM_SelectEveryOneRecordingGroup)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
