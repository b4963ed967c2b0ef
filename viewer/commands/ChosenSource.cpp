#include "viewer/commands/ChosenSource.h"

#include "library/RecordingNames.h"
#include "platform/FileSystem.h"

namespace viewer {

ChosenSource JudgeChosenSource(library::SourceKind kind, const std::filesystem::path& path) {
  if (kind == library::SourceKind::kNone || path.empty()) return ChosenSource::kUnchanged;
  if (!platform::Fs().Exists(path)) return ChosenSource::kUnchanged;
  if (kind == library::SourceKind::kFile && !library::IsRecordingName(path.filename().string())) {
    return ChosenSource::kForeignName;
  }
  return ChosenSource::kLoad;
}

}  // namespace viewer
