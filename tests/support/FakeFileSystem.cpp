#include "FakeFileSystem.h"

namespace testfiles {

std::optional<std::vector<platform::DirectoryEntry>> FakeFileSystem::ListDirectory(const std::filesystem::path& folder) {
  if (unlistable.count(folder.lexically_normal())) return std::nullopt;
  return platform::FileSystem::ListDirectory(folder);
}

bool FakeFileSystem::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (unrenamable.count(from)) return false;
  ++renames;
  return platform::FileSystem::Rename(from, to);
}

platform::AttributeResult FakeFileSystem::SetHidden(const std::filesystem::path& path, bool hidden) {
  if (unhideable.count(path)) return platform::AttributeResult::kFailed;
  return platform::FileSystem::SetHidden(path, hidden);
}

bool FakeFileSystem::WriteFileAtomically(const std::filesystem::path& path, const std::string& contents) {
  if (writes_fail) return false;
  return platform::FileSystem::WriteFileAtomically(path, contents);
}

std::filesystem::path FakeFileSystem::MountPointOf(const std::filesystem::path& path) {
  const std::string text = path.lexically_normal().string();
  for (const auto& m : mount_points) {
    const std::string point = m.string();
    if (text == point || text.rfind(point + "/", 0) == 0) return m;
  }
  return platform::FileSystem::MountPointOf(path);
}

std::vector<std::filesystem::path> FakeFileSystem::RemovableVolumes() {
  return use_removable ? removable : platform::FileSystem::RemovableVolumes();
}

}  // namespace testfiles
