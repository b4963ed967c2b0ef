// Writes the viewer's list CSV of every recording of a source (an SD card,
// a folder or one recording) from the command line, with the same code the
// window's CSV command runs.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "library/SourceScanner.h"
#include "platform/FileSystem.h"
#include "viewer/commands/CommandLineSource.h"
#include "viewer/commands/CsvEncoder.h"
#include "viewer/commands/CsvExport.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/settings/UiTextTable.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void Usage() {
  std::fprintf(stderr,
               "usage: brennovale-export csv SOURCE OUT_DIR [--replace]\n"
               "  Writes Dv_YYYYMMDD_HHMMSS.csv (named after the first recording) into OUT_DIR with a line\n"
               "  for every recording of SOURCE: a card, a folder or one recording. An existing file of\n"
               "  that name is replaced only with --replace. The encoding is code page 932, or UTF-8 with a\n"
               "  byte-order mark when the settings say [CSV] ENCODING=utf-8.\n");
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "brennovale-export: %s\n", why.c_str());
  return kExitFailed;
}

int ExportCsv(const std::filesystem::path& source_path, const std::filesystem::path& out_dir, bool replace) {
  const viewer::CommandLineSource source = viewer::ChooseCommandLineSource(source_path);
  if (source.kind == library::SourceKind::kNone) return Fail(source.error);
  platform::FileSystem& fs = platform::Fs();
  if (!fs.IsDirectory(out_dir)) return Fail(out_dir.string() + ": no such folder");

  library::SourceScanner scanner(nullptr);
  scanner.OpenSource(source.path, source.kind);
  const std::vector<library::RecordingEntry> entries = scanner.CollectAllRecordings();
  if (entries.empty()) return Fail(source.path.string() + ": no recordings");

  const std::filesystem::path target = viewer::CsvFilePath(entries, out_dir);
  if (!replace && fs.Exists(target)) return Fail(target.string() + ": exists already (--replace replaces it)");
  const viewer::CsvExportResult result = viewer::ExportCsv(entries, target, viewer::CsvEncodingSetting());
  if (result.status != viewer::CsvExportStatus::kWritten) {
    return Fail("the CSV file could not be written: " + result.error);
  }
  std::printf("%s: %zu recordings\n", target.string().c_str(), entries.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args;
  bool replace = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--replace") {
      replace = true;
    } else if (arg == "-h" || arg == "--help") {
      Usage();
      return 0;
    } else {
      args.push_back(arg);
    }
  }
  if (args.size() != 3 || args[0] != "csv") {
    Usage();
    return kExitUsage;
  }
  // The settings and the language of the column titles as the viewer
  // started from this folder would take them.
  std::setlocale(LC_ALL, "");
  const char* locale = std::setlocale(LC_MESSAGES, nullptr);
  viewer::SetUiLanguage(viewer::UiLanguageForLocale(locale != nullptr ? locale : ""));
  std::error_code ec;
  viewer::InitializeSettings(std::filesystem::current_path(ec));
  return ExportCsv(std::filesystem::path(args[1]), std::filesystem::path(args[2]), replace);
}
