// The list CSV of a card of 1000 recordings: every line opens the
// recording's front video, its sensor data header and its rear file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/SourceScanner.h"
#include "tools/samplecard/SampleCard.h"
#include "viewer/commands/CsvExport.h"

namespace {

namespace fs = std::filesystem;

// 1000 recordings in the recorder's layout, each the hard link (a copy
// where links fail) of one of three small generated recordings; made once
// under the temporary folder and kept for later runs.
const fs::path& ThousandRecordingCard() {
  static const fs::path root = [] {
    const fs::path card = fs::temp_directory_path() / "brennovale-bench" / "csv-card-1000";
    if (fs::exists(card / "complete")) return card;
    fs::remove_all(card);
    samplecard::CardOptions options;
    options.recordings = 3;
    options.seconds = 2.0;
    const auto models = samplecard::WriteSampleCard(card / "models", options);
    if (!models) {
      std::fprintf(stderr, "csv_bench: %s\n", models.error().c_str());
      std::exit(1);
    }
    for (int i = 0; i < 1000; ++i) {
      const samplecard::WrittenRecording& model = (*models)[static_cast<std::size_t>(i % 3)];
      const char* top = i < 800 ? "Normal" : "Parking";
      const int t = 60 * i;
      char base[40];
      std::snprintf(base, sizeof base, "%s-2403%02d-%02d%02d%02d-%06d", i < 800 ? "A__" : "P__", 1 + t / 86400,
                    t / 3600 % 24, t / 60 % 60, t % 60, i);
      for (const auto& [folder, suffix, from] :
           {std::tuple{"Main", "M.MOV", model.main_path}, {"Sub_", "S.MOV", model.sub_path},
            {"Data", "D.ADA", model.data_path}}) {
        const fs::path to = card / top / folder / (std::string(base) + suffix);
        fs::create_directories(to.parent_path());
        std::error_code ec;
        fs::create_hard_link(from, to, ec);
        if (ec) fs::copy_file(from, to);
      }
    }
    fs::remove_all(card / "models");
    std::ofstream(card / "complete");
    return card;
  }();
  return root;
}

void BM_CsvOfAThousandRecordingCard(benchmark::State& state) {
  library::SourceScanner scanner(nullptr);
  scanner.OpenSource(ThousandRecordingCard(), library::SourceKind::kCard);
  const std::vector<library::RecordingEntry> entries = scanner.CollectAllRecordings();
  const fs::path out = fs::temp_directory_path() / "brennovale-bench" / "csv-out";
  fs::create_directories(out);
  const fs::path target = viewer::CsvFilePath(entries, out);
  for (auto _ : state) {
    const auto result = viewer::ExportCsv(entries, target, viewer::CsvEncoding::kCp932);
    if (result.status != viewer::CsvExportStatus::kWritten) state.SkipWithError(result.error.c_str());
  }
  state.counters["lines"] = static_cast<double>(entries.size());
  state.counters["bytes"] = static_cast<double>(fs::file_size(target));
}
BENCHMARK(BM_CsvOfAThousandRecordingCard)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
