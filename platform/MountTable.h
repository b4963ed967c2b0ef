#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// One line of a mountinfo table (/proc/self/mountinfo or a made-up one).
struct MountEntry {
  std::string devno;  // "major:minor" of the mounted file system
  std::filesystem::path point;
  std::string type;
  std::string source;  // the device or pseudo name the kernel reports
};

// The lines of a mountinfo file, the mount point's octal escapes undone;
// empty when the file cannot be read.
std::vector<MountEntry> ReadMountTable(const std::filesystem::path& mountinfo);

// The first line of a small text file (sysfs attributes), without the line
// end; empty when it cannot be read.
std::string ReadFirstLine(const std::filesystem::path& path);

}  // namespace platform
