#pragma once

#include <filesystem>

namespace recording {

// The files of one recording lie in sibling folders Main, Sub_ and Data and
// differ only in the camera letter before the extension (M, S, D). A path of
// the recorder's shape has its folder name 34 characters before its end (the
// folder, a separator and the 29-character file name).
enum class Companion { kOtherCamera, kData };

// Main <-> Sub_ and M <-> S for the other camera; Data, D and ".ADA" for the
// data file. A path of another shape keeps its folder and letters (the data
// path still gets ".ADA").
std::filesystem::path CompanionPath(const std::filesystem::path& path, Companion which);

inline std::filesystem::path DataPath(const std::filesystem::path& video) {
  return CompanionPath(video, Companion::kData);
}

}  // namespace recording
