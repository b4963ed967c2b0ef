#include "viewer/commands/CommandLineSource.h"

#include <algorithm>

#include "library/RecordingNames.h"
#include "library/SourceSetting.h"
#include "platform/FileSystem.h"

namespace viewer {
namespace {

bool IsRemovableMountPoint(const std::filesystem::path& folder) {
  platform::FileSystem& fs = platform::Fs();
  const std::filesystem::path resolved = fs.Resolve(folder);
  const auto volumes = fs.RemovableVolumes();
  return std::any_of(volumes.begin(), volumes.end(), [&](const std::filesystem::path& volume) {
    return volume == folder || (!resolved.empty() && fs.Resolve(volume) == resolved);
  });
}

CommandLineSource Refused(const std::filesystem::path& path, const char* reason) {
  CommandLineSource source;
  source.path = path;
  source.error = path.string() + ": " + reason;
  return source;
}

}  // namespace

CommandLineSource ChooseCommandLineSource(const std::filesystem::path& given) {
  if (given.empty()) return Refused(given, "no source given");
  const std::filesystem::path path = library::NormalizeSourcePath(given);
  platform::FileSystem& fs = platform::Fs();
  if (!fs.Exists(path)) return Refused(path, "no such file or folder");
  CommandLineSource source;
  source.path = path;
  if (fs.IsDirectory(path)) {
    const bool card_layout = fs.IsDirectory(path / "Normal") || fs.IsDirectory(path / "Parking");
    source.kind = card_layout && IsRemovableMountPoint(path) ? library::SourceKind::kCard
                                                              : library::SourceKind::kFolder;
    return source;
  }
  if (!library::IsRecordingName(path.filename().string())) {
    return Refused(path, "not a recording (its name is not the recorder's)");
  }
  source.kind = library::SourceKind::kFile;
  return source;
}

bool StoreCommandLineSource(const CommandLineSource& source) {
  return library::WriteSourceSetting(source.kind, source.path.string());
}

}  // namespace viewer
