#pragma once

#include <filesystem>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace testfiles {

// The real file system with faults injected and a few facts replaced:
// folders that cannot be listed, files that cannot be renamed or written,
// folders that count as mount points (a card) and removable volumes.
class FakeFileSystem : public platform::FileSystem {
 public:
  std::set<std::filesystem::path> unlistable;
  // Folders list their entries in reverse name order (a directory order that
  // is not the name order, as on FAT after deletions).
  bool reverse_listings = false;
  std::set<std::filesystem::path> unrenamable;  // sources that fail to rename
  // Any other rename to fail, decided by its two names.
  std::function<bool(const std::filesystem::path& from, const std::filesystem::path& to)> rename_fails;
  std::set<std::filesystem::path> unhideable;
  bool writes_fail = false;
  std::vector<std::filesystem::path> mount_points;  // checked before the real mount table
  std::vector<std::filesystem::path> removable;
  bool use_removable = false;
  int renames = 0;
  bool outputs_fail = false;               // the output folder is not writable
  std::set<std::filesystem::path> unwritable_outputs;  // final names whose output file cannot be created
  std::uint64_t output_budget = UINT64_MAX;  // bytes an output file may take before the disk is full
  std::map<std::filesystem::path, int> read_errors;  // files whose reading fails with this errno
  // Every volume acts as FAT: the attribute ioctls work, the attributes kept
  // here by inode (so they follow a renamed file). Requests listed in
  // failing_ioctls fail with EIO.
  bool fat = false;
  std::set<unsigned long> failing_ioctls;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::uint32_t> attributes;

  // Paths whose device number is replaced (checked before the real one), and
  // paths that no longer exist (a pulled card). A watcher thread reads them:
  // change them under device_lock.
  std::mutex device_lock;
  std::map<std::filesystem::path, std::uint64_t> devices;
  std::set<std::filesystem::path> vanished;

  std::optional<std::vector<platform::DirectoryEntry>> ListDirectory(const std::filesystem::path& folder) override;
  bool Exists(const std::filesystem::path& path) override;
  std::optional<std::uint64_t> DeviceOf(const std::filesystem::path& path) override;
  bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  platform::AttributeResult SetHidden(const std::filesystem::path& path, bool hidden) override;
  bool WriteFileAtomically(const std::filesystem::path& path, const std::string& contents) override;
  platform::Expected<std::optional<std::string>> ReadWholeFile(const std::filesystem::path& path) override;
  int AttributeIoctl(int fd, unsigned long request, std::uint32_t* attributes) override;
  std::filesystem::path MountPointOf(const std::filesystem::path& path) override;
  std::vector<std::filesystem::path> RemovableVolumes() override;
  std::unique_ptr<platform::OutputFile> CreateOutputFile(const std::filesystem::path& final_path,
                                                         std::string* error) override;
};

}  // namespace testfiles
