#include "platform/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace platform {
namespace {

std::filesystem::path HomeTrash() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::filesystem::path(data) / "Trash";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "/") / ".local/share/Trash";
}

std::string PercentEncode(const std::string& path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool SameDevice(const std::filesystem::path& a, const std::filesystem::path& b) {
  struct stat sa {}, sb {};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

bool MakeFolders(const std::filesystem::path& trash) {
  std::error_code ec;
  std::filesystem::create_directories(trash / "files", ec);
  std::filesystem::create_directories(trash / "info", ec);
  chmod(trash.c_str(), 0700);
  return std::filesystem::is_directory(trash / "files") && std::filesystem::is_directory(trash / "info");
}

std::string Now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
  return text;
}

}  // namespace

bool TrashFile(const std::filesystem::path& file, const std::filesystem::path& mount_point) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(file, ec);
  struct stat st {};
  if (ec || lstat(full.c_str(), &st) != 0) return false;

  std::filesystem::path trash = HomeTrash();
  std::filesystem::create_directories(trash.parent_path(), ec);
  std::string original = full.string();
  if (!SameDevice(trash.parent_path(), full.parent_path())) {
    trash = mount_point / (".Trash-" + std::to_string(getuid()));
    // Paths in a volume's own trash are relative to the volume.
    const std::filesystem::path relative = full.lexically_relative(mount_point);
    if (!relative.empty() && relative.native()[0] != '.') original = relative.string();
  }
  if (!MakeFolders(trash)) return false;

  const std::string stem = full.filename().string();
  for (int n = 1; n < 10000; ++n) {
    const std::string name = n == 1 ? stem : stem + "." + std::to_string(n);
    const std::filesystem::path info = trash / "info" / (name + ".trashinfo");
    const int fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    const std::string text =
        "[Trash Info]\nPath=" + PercentEncode(original) + "\nDeletionDate=" + Now() + "\n";
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
    close(fd);
    const std::filesystem::path target = trash / "files" / name;
    if (written && !std::filesystem::exists(target, ec) && rename(full.c_str(), target.c_str()) == 0) return true;
    unlink(info.c_str());
    if (written && std::filesystem::exists(target, ec)) continue;
    return false;
  }
  return false;
}

}  // namespace platform
