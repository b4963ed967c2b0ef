#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Expected.h"
#include "platform/OutputFile.h"

namespace platform {

struct DirectoryEntry {
  std::string name;
  bool is_directory = false;  // also for a symbolic link to a folder
  bool is_link = false;       // a symbolic link (of any target)
};

// Where the kernel's facts about volumes are read: the mount table of the
// process and the sysfs tree. Tests point them at a made-up tree.
struct SystemFiles {
  std::filesystem::path mountinfo = "/proc/self/mountinfo";
  std::filesystem::path sysfs = "/sys";
};

enum class AttributeResult { kDone, kUnsupported, kFailed };

// The file operations the library and settings code rely on, behind one
// interface so that tests can make any of them fail (CI runs as root, where
// permissions never do). Fs() is the one in use; RealFileSystem does the work.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Lists a folder, "." and ".." included, leaving out hidden entries (names
  // starting with "." other than those two, and on FAT the hidden attribute).
  // Empty on failure.
  virtual std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& folder);
  virtual bool Exists(const std::filesystem::path& path);
  // The device number of the file system that holds path (st_dev; a mount
  // point gives its own volume's, or its parent's once unmounted); none when
  // it does not exist.
  virtual std::optional<std::uint64_t> DeviceOf(const std::filesystem::path& path);
  // The whole contents of a file; no value (not a failure) when the file does
  // not exist, a failure with its reason when it exists but cannot be read.
  virtual Expected<std::optional<std::string>> ReadWholeFile(const std::filesystem::path& path);
  // The path with every symbolic link resolved; empty when it does not exist.
  virtual std::filesystem::path Resolve(const std::filesystem::path& path);
  virtual bool IsDirectory(const std::filesystem::path& path);
  // Size of a file that can be opened for reading.
  virtual std::optional<std::uint64_t> FileSize(const std::filesystem::path& path);
  virtual bool Rename(const std::filesystem::path& from, const std::filesystem::path& to);
  // The FAT hidden attribute; kUnsupported on other file systems.
  virtual AttributeResult SetHidden(const std::filesystem::path& path, bool hidden);
  virtual std::optional<bool> IsHidden(const std::filesystem::path& path);
  // The FAT attribute ioctl (FAT_IOCTL_GET_ATTRIBUTES or
  // FAT_IOCTL_SET_ATTRIBUTES) on an open file or folder: 0, or the errno,
  // ENOTTY on a volume without the attributes. Everything above that reads or
  // sets the hidden attribute goes through here.
  virtual int AttributeIoctl(int fd, unsigned long request, std::uint32_t* attributes);
  // Moves a file to the freedesktop trash of its volume.
  virtual bool MoveToTrash(const std::filesystem::path& path);
  // Writes a whole file so that a crash never leaves it half-written:
  // temporary file in the same folder, fsync, rename over the old one.
  virtual bool WriteFileAtomically(const std::filesystem::path& path, const std::string& contents);
  // An output file that will become final_path once put in place; null (with
  // the reason in error) when the folder is not writable. From the first call
  // on, a write past the file-size limit fails with EFBIG instead of the
  // signal that would end the process (unless a handler was installed).
  virtual std::unique_ptr<OutputFile> CreateOutputFile(const std::filesystem::path& final_path, std::string* error);
  // The mount point of the volume that holds path.
  virtual std::filesystem::path MountPointOf(const std::filesystem::path& path);
  // Mount points of removable volumes (USB card readers and SD slots), sorted by name.
  virtual std::vector<std::filesystem::path> RemovableVolumes();
  // Whether the block device a mount table names (/dev/...) is a removable
  // medium or sits in an SD slot.
  bool IsRemovableDevice(const std::string& source) const;

  SystemFiles system_files;
};

FileSystem& Fs();
// Makes Fs() return replacement (the real one again when null); returns the
// one it returned before. ScopedFileSystem is the way to use it.
FileSystem* ReplaceFs(FileSystem* replacement);

}  // namespace platform
