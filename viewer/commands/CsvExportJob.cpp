#include "viewer/commands/CsvExportJob.h"

#include "platform/FileSystem.h"
#include "viewer/commands/CsvExport.h"

namespace viewer {
namespace {

constexpr int kTextFileExists = 93;
constexpr int kTextCannotCreate = 96;
constexpr int kTextNoRecordings = 101;

}  // namespace

CsvJobOutcome RunCsvExportJob(CsvJobHost& host, const std::vector<library::RecordingEntry>& entries,
                              CsvEncoding encoding) {
  const std::string folder = host.PickFolder();
  if (folder.empty()) return CsvJobOutcome::kCancelled;
  if (entries.empty()) {
    host.ShowError(kTextNoRecordings, {});
    return CsvJobOutcome::kNoRecordings;
  }
  const std::filesystem::path target = CsvFilePath(entries, folder);
  if (platform::Fs().Exists(target) && !host.Ask(kTextFileExists)) return CsvJobOutcome::kCancelled;
  host.ReleaseRecording();
  const CsvExportResult result =
      ExportCsv(entries, target, encoding,
                {[&](std::size_t done, std::size_t total) { host.Progress(done, total); },
                 [&] { return host.StopRequested(); }});
  switch (result.status) {
    case CsvExportStatus::kWritten:
      host.Completed(folder);
      return CsvJobOutcome::kWritten;
    case CsvExportStatus::kStopped:
      return CsvJobOutcome::kStopped;
    case CsvExportStatus::kNoRecordings:
    case CsvExportStatus::kCannotWrite:
      break;
  }
  host.ShowError(kTextCannotCreate, result.error);
  return CsvJobOutcome::kFailed;
}

}  // namespace viewer
