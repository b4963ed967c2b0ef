#include "viewer/commands/CsvExport.h"

#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "viewer/commands/CsvLine.h"

namespace viewer {
namespace {

// Lines are gathered and written in blocks of about this size.
constexpr std::size_t kWriteBlock = 64 * 1024;

// The reason always names the file, as the message shows nothing else.
CsvExportResult Failed(const std::filesystem::path& target, const std::string& why) {
  if (why.find(target.string()) != std::string::npos) return {CsvExportStatus::kCannotWrite, why};
  return {CsvExportStatus::kCannotWrite, target.string() + ": " + why};
}

}  // namespace

std::filesystem::path CsvFilePath(const std::vector<library::RecordingEntry>& entries,
                                  const std::filesystem::path& folder) {
  if (entries.empty()) return {};
  return folder / CsvFileName(entries.front().name, platform::NowLocalTime());
}

CsvExportResult ExportCsv(const std::vector<library::RecordingEntry>& entries, const std::filesystem::path& target,
                          CsvEncoding encoding, const CsvExportCallbacks& callbacks) {
  if (entries.empty()) return {CsvExportStatus::kNoRecordings, {}};
  auto encoder = CsvEncoder::Create(encoding);
  if (!encoder) return Failed(target, encoder.error());
  std::string error;
  std::unique_ptr<platform::OutputFile> file = platform::Fs().CreateOutputFile(target, &error);
  if (!file) return Failed(target, error);

  std::string block = (*encoder)->Preamble() + (*encoder)->Encode(CsvHeaderLine());
  const std::size_t total = entries.size();
  for (std::size_t i = 0; i < total; ++i) {
    if (callbacks.stop_requested && callbacks.stop_requested()) return {CsvExportStatus::kStopped, {}};
    const library::RecordingEntry& entry = entries[i];
    block += (*encoder)->Encode(FormatCsvLine(entry.name, ReadCsvFacts(entry.path)));
    if (block.size() >= kWriteBlock) {
      if (!file->Write(block.data(), block.size())) return Failed(target, file->error());
      block.clear();
    }
    if (callbacks.progress) callbacks.progress(i + 1, total);
  }
  if (!file->Write(block.data(), block.size()) || !file->Commit()) return Failed(target, file->error());
  return {CsvExportStatus::kWritten, {}};
}

}  // namespace viewer
