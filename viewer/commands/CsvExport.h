#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "library/RecordingEntry.h"
#include "viewer/commands/CsvEncoder.h"

namespace viewer {

struct CsvExportCallbacks {
  // After each line: lines done so far and the number of lines.
  std::function<void(std::size_t done, std::size_t total)> progress;
  // Asked before each line; true abandons the export.
  std::function<bool()> stop_requested;
};

enum class CsvExportStatus {
  kWritten,       // the whole file is in place
  kNoRecordings,  // nothing to export; nothing written
  kCannotWrite,   // the file could not be created or written; nothing in place
  kStopped,       // stopped on request; nothing in place
};

struct CsvExportResult {
  CsvExportStatus status = CsvExportStatus::kCannotWrite;
  std::string error;  // why the file could not be written, naming it
};

// Where the list CSV of these recordings goes in folder (named after the
// first recording's start); empty without recordings.
std::filesystem::path CsvFilePath(const std::vector<library::RecordingEntry>& entries,
                                  const std::filesystem::path& folder);

// Writes the header and one line per recording, in the order given, to
// target. Each line reads the recording's files (the players must not hold
// them). The file is written under a temporary name in target's folder and
// replaces target only when every line was written and synced, so a failed
// or stopped export leaves target as it was and no partial file behind.
CsvExportResult ExportCsv(const std::vector<library::RecordingEntry>& entries, const std::filesystem::path& target,
                          CsvEncoding encoding, const CsvExportCallbacks& callbacks = {});

}  // namespace viewer
