#include "viewer/commands/StillPictureNames.h"

#include <charconv>

#include "library/RecordingNames.h"

namespace viewer {
StillPictureNames StillPictureNamesFor(const std::filesystem::path& folder, const std::filesystem::path& recording,
                                       std::int32_t frame) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, frame < 0 ? 0 : frame).ptr;
  std::string number(digits, end);
  if (number.size() < 6) number.insert(0, 6 - number.size(), '0');
  const std::string base = library::SnapshotBaseName(recording);
  // The camera letter ends the base name. Swapped there rather than at a
  // fixed distance from the end of the path, so that a frame number of
  // seven digits never gives the rear picture the front's name.
  std::string sub_base = base;
  if (!sub_base.empty()) {
    char& letter = sub_base.back();
    if (letter == 'M') {
      letter = 'S';
    } else if (letter == 'S') {
      letter = 'M';
    }
  }
  return {folder / (base + "-" + number + ".jpg"), folder / (sub_base + "-" + number + ".jpg")};
}

}  // namespace viewer
