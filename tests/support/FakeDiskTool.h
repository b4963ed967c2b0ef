#pragma once

#include <filesystem>

namespace testfiles {

// Writes an executable stand-in for the disk tool into folder and returns
// its path. When run it appends its arguments (one a line) and then the
// script's bytes to the log file, removes the folder named by
// FAKE_DISK_TOOL_REMOVE when set (as an unmounted card's mount point goes
// away), and exits with FAKE_DISK_TOOL_EXIT (0 when unset).
std::filesystem::path WriteFakeDiskTool(const std::filesystem::path& folder, const std::filesystem::path& log);

}  // namespace testfiles
