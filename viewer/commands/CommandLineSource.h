#pragma once

#include <filesystem>
#include <string>

#include "library/SourceScanner.h"

namespace viewer {

// The source named on the command line (brennovale PATH).
struct CommandLineSource {
  library::SourceKind kind = library::SourceKind::kNone;
  std::filesystem::path path;  // absolute and normal
  std::string error;           // why the path was refused (kind is none then)
};

// A recording file is a file source; the mount point of a removable volume
// that holds "Normal" or "Parking" is a card; any other folder is a folder
// source. A path that does not exist, or a file whose name is not a
// recording's, is refused with the reason.
CommandLineSource ChooseCommandLineSource(const std::filesystem::path& given);

// Stores the source in "SOURCE" as the source dialog does, so that the next
// start offers it again.
bool StoreCommandLineSource(const CommandLineSource& source);

}  // namespace viewer
