#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace viewer {

// The files a still picture of both cameras is written to: in folder, the
// recording's snapshot base name (YYMMDD-HHMMSS- and the camera letter), a
// dash and the front frame number in six digits, ".jpg". The rear's name
// swaps the camera letter (M <-> S), the character 12 places before the end.
struct StillPictureNames {
  std::filesystem::path main, sub;
};
StillPictureNames StillPictureNamesFor(const std::filesystem::path& folder, const std::filesystem::path& recording,
                                       std::int32_t frame);

}  // namespace viewer
