#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/MountTable.h"
#include "platform/Trash.h"

namespace platform {
namespace {

constexpr long kFatMagic = 0x4d44;  // MSDOS_SUPER_MAGIC

FileSystem& RealInstance() {
  static FileSystem* real = new FileSystem;
  return *real;
}

std::atomic<FileSystem*> g_current{nullptr};

}  // namespace

FileSystem& Fs() {
  FileSystem* current = g_current.load();
  return current != nullptr ? *current : RealInstance();
}

FileSystem* ReplaceFs(FileSystem* replacement) { return g_current.exchange(replacement); }

std::optional<std::vector<DirectoryEntry>> FileSystem::ListDirectory(const std::filesystem::path& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  const int dir_fd = dirfd(dir);
  std::uint32_t folder_attributes = 0;
  const bool fat = AttributeIoctl(dir_fd, FAT_IOCTL_GET_ATTRIBUTES, &folder_attributes) == 0;
  std::vector<DirectoryEntry> entries;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    const bool dots = name == "." || name == "..";
    if (!dots && name[0] == '.') continue;
    bool is_dir = e->d_type == DT_DIR;
    bool is_link = e->d_type == DT_LNK;
    if (e->d_type == DT_UNKNOWN) {
      struct stat st {};
      is_link = fstatat(dir_fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    }
    if (e->d_type == DT_UNKNOWN || is_link) {
      struct stat st {};
      is_dir = fstatat(dir_fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    if (fat && !dots) {
      const int fd = openat(dir_fd, e->d_name, O_RDONLY | O_CLOEXEC);
      if (fd >= 0) {
        std::uint32_t attributes = 0;
        const bool hidden = AttributeIoctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0 && (attributes & ATTR_HIDDEN);
        close(fd);
        if (hidden) continue;
      }
    }
    entries.push_back({name, is_dir, is_link});
  }
  closedir(dir);
  return entries;
}

bool FileSystem::Exists(const std::filesystem::path& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

std::optional<std::uint64_t> FileSystem::DeviceOf(const std::filesystem::path& path) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_dev);
}

Expected<std::optional<std::string>> FileSystem::ReadWholeFile(const std::filesystem::path& path) {
  using Result = Expected<std::optional<std::string>>;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Result(std::nullopt);
    return Result::Failure(path.string() + ": cannot be read: " + std::strerror(errno));
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      close(fd);
      return Result::Failure(path.string() + ": cannot be read: " + std::strerror(error));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return Result(std::optional<std::string>(std::move(text)));
}

std::filesystem::path FileSystem::Resolve(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path resolved = std::filesystem::canonical(path, ec);
  return ec ? std::filesystem::path() : resolved;
}

bool FileSystem::IsDirectory(const std::filesystem::path& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> FileSystem::FileSize(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  const bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  if (!ok) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool FileSystem::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

int FileSystem::AttributeIoctl(int fd, unsigned long request, std::uint32_t* attributes) {
  // Only FAT volumes are asked: elsewhere the request number may mean
  // something else (a FUSE driver passes it on).
  struct statfs volume {};
  if (fstatfs(fd, &volume) != 0) return errno;
  if (volume.f_type != kFatMagic) return ENOTTY;
  return ioctl(fd, request, attributes) == 0 ? 0 : errno;
}

AttributeResult FileSystem::SetHidden(const std::filesystem::path& path, bool hidden) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return AttributeResult::kFailed;
  std::uint32_t attributes = 0;
  const int got = AttributeIoctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes);
  AttributeResult result = got == ENOTTY ? AttributeResult::kUnsupported : AttributeResult::kFailed;
  if (got == 0) {
    attributes = hidden ? (attributes | ATTR_HIDDEN) : (attributes & ~std::uint32_t{ATTR_HIDDEN});
    if (AttributeIoctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &attributes) == 0) result = AttributeResult::kDone;
  }
  close(fd);
  return result;
}

std::optional<bool> FileSystem::IsHidden(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<bool> result;
  std::uint32_t attributes = 0;
  if (AttributeIoctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0) result = (attributes & ATTR_HIDDEN) != 0;
  close(fd);
  return result;
}

bool FileSystem::MoveToTrash(const std::filesystem::path& path) { return TrashFile(path, MountPointOf(path)); }

bool FileSystem::WriteFileAtomically(const std::filesystem::path& path, const std::string& contents) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  const char* p = contents.data();
  std::size_t left = contents.size();
  bool ok = true;
  while (ok && left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) {
      p += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  ok = ok && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

std::filesystem::path FileSystem::MountPointOf(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
  std::filesystem::path best = "/";
  std::size_t best_length = 1;
  const std::string text = full.string();
  for (const MountEntry& m : ReadMountTable(system_files.mountinfo)) {
    const std::string point = m.point.string();
    const bool inside = text == point || (text.rfind(point, 0) == 0 && (point == "/" || text[point.size()] == '/'));
    if (inside && point.size() >= best_length) {
      best = m.point;
      best_length = point.size();
    }
  }
  return best;
}

std::vector<std::filesystem::path> FileSystem::RemovableVolumes() {
  std::vector<std::filesystem::path> volumes;
  for (const MountEntry& m : ReadMountTable(system_files.mountinfo)) {
    if (IsRemovableDevice(m.source)) volumes.push_back(m.point);
  }
  std::sort(volumes.begin(), volumes.end());
  volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());
  return volumes;
}

bool FileSystem::IsRemovableDevice(const std::string& source) const {
  if (source.rfind("/dev/", 0) != 0) return false;
  // /dev/disk/by-label/... and the like are links to the device node.
  std::error_code ec;
  std::filesystem::path dev = std::filesystem::canonical(source, ec);
  if (ec) dev = std::filesystem::path(source).lexically_normal();
  const std::string name = dev.filename().string();
  if (name.rfind("mmcblk", 0) == 0) return true;
  std::filesystem::path sys = std::filesystem::canonical(system_files.sysfs / "class/block" / name, ec);
  if (ec) return false;
  // A partition's removable flag lives on its disk, one level up.
  for (int level = 0; level < 2; ++level) {
    if (ReadFirstLine(sys / "removable") == "1") return true;
    sys = sys.parent_path();
  }
  return false;
}

}  // namespace platform
