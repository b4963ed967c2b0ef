// brennovale-disk-tool SCRIPT EXPECTED-SIZE
//
// Runs the card format script the viewer wrote, with root rights (the
// viewer starts it through pkexec). It trusts nothing the caller says: the
// script must be the caller's own small regular file holding exactly the
// four lines, its device must still be a card of the expected size and
// stable name, and the disk of the system, swap, this program or the
// caller's home is refused. Exit codes: see maintenance/DiskToolExit.h.
#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "maintenance/CardDevices.h"
#include "maintenance/CardPartitionTable.h"
#include "maintenance/DiskToolExit.h"
#include "maintenance/FormatScript.h"

namespace fs = std::filesystem;
using namespace maintenance;

namespace {

int Stop(int code, const std::string& why) {
  std::fprintf(stderr, "brennovale-disk-tool: %s\n", why.c_str());
  return code;
}

std::optional<std::uint64_t> ParseNumber(const char* text) {
  std::uint64_t value = 0;
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(text, end, value);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

// Who asked: pkexec names the user it elevated; run directly, the real user.
uid_t CallerUid() {
  if (const char* pkexec_uid = std::getenv("PKEXEC_UID")) {
    if (const auto uid = ParseNumber(pkexec_uid)) return static_cast<uid_t>(*uid);
  }
  return ::getuid();
}

std::optional<std::string> ReadScript(const char* path, uid_t caller, std::string* why) {
  const int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = std::string("cannot open the script: ") + std::strerror(errno);
    return std::nullopt;
  }
  struct stat st {};
  std::string text;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *why = "the script is not a regular file";
  } else if (st.st_uid != caller) {
    *why = "the script does not belong to the calling user";
  } else if (st.st_size > static_cast<off_t>(kMaxScriptBytes)) {
    *why = "the script is too long";
  } else {
    text.resize(kMaxScriptBytes + 1);
    const ssize_t n = ::read(fd, text.data(), text.size());
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  ::close(fd);
  if (!why->empty()) return std::nullopt;
  return text;
}

std::vector<std::string> ProtectedDevnos(uid_t caller) {
  std::vector<std::string> devnos;
  struct stat st {};
  if (::stat("/proc/self/exe", &st) == 0) devnos.push_back(DevnoText(st.st_dev));
  // The caller's settings live under the caller's home.
  if (const passwd* user = ::getpwuid(caller)) {
    if (::stat(user->pw_dir, &st) == 0) devnos.push_back(DevnoText(st.st_dev));
  }
  return devnos;
}

int Run(const std::vector<const char*>& argv) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ::execv(argv[0], const_cast<char* const*>(argv.data()));
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* FindProgram(std::initializer_list<const char*> places) {
  for (const char* place : places) {
    if (::access(place, X_OK) == 0) return place;
  }
  return nullptr;
}

std::string PartitionNode(const std::string& disk) {
  // "mmcblk0" and "nvme0n1" end in a digit and take "p1"; "sdb" takes "1".
  const bool digit = !disk.empty() && disk.back() >= '0' && disk.back() <= '9';
  return "/dev/" + disk + (digit ? "p1" : "1");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Stop(kDiskToolUsage, "usage: brennovale-disk-tool SCRIPT EXPECTED-SIZE");
  const auto expected = ParseNumber(argv[2]);
  if (!expected || *expected == 0) return Stop(kDiskToolUsage, "the expected size is not a number");
  const uid_t caller = CallerUid();

  std::string why;
  const auto script = ReadScript(argv[1], caller, &why);
  if (!script) return Stop(kDiskToolScriptRefused, why);
  const auto volume = ParseFormatScript(*script);
  if (!volume) return Stop(kDiskToolScriptRefused, "the script is not the four format lines");

  std::error_code ec;
  const fs::path node = fs::canonical(*volume, ec);
  if (ec) return Stop(kDiskToolDeviceRefused, *volume + " does not exist");
  struct stat device {};
  if (::stat(node.c_str(), &device) != 0 || !S_ISBLK(device.st_mode)) {
    return Stop(kDiskToolDeviceRefused, node.string() + " is not a block device");
  }
  const std::string disk = node.filename().string();
  const CardDevices cards({}, ProtectedDevnos(caller));
  const std::string refusal = cards.Refusal(disk);
  if (!refusal.empty()) return Stop(kDiskToolDeviceRefused, node.string() + ": " + refusal);
  const auto card = cards.Find(disk);
  if (!card || card->size != *expected || card->by_id != fs::path(*volume)) {
    return Stop(kDiskToolDeviceChanged, "the card is not the one that was chosen");
  }

  const std::vector<fs::path> mounted = card->mount_points;
  for (auto it = mounted.rbegin(); it != mounted.rend(); ++it) {
    if (::umount2(it->c_str(), 0) != 0 && errno != EINVAL) {
      return Stop(kDiskToolBusy, "cannot unmount " + it->string() + ": " + std::strerror(errno));
    }
  }
  // Exclusive: fails while anything still has the disk or a partition open.
  const int fd = ::open(node.c_str(), O_RDWR | O_EXCL | O_CLOEXEC);
  if (fd < 0) return Stop(kDiskToolBusy, "cannot open " + node.string() + ": " + std::strerror(errno));
  struct stat opened {};
  std::uint64_t size = 0;
  const bool same = ::fstat(fd, &opened) == 0 && opened.st_rdev == device.st_rdev &&
                    ::ioctl(fd, BLKGETSIZE64, &size) == 0 && size == *expected &&
                    fs::canonical(*volume, ec) == node;
  if (!same) {
    ::close(fd);
    return Stop(kDiskToolDeviceChanged, "the card changed before it was written");
  }
  const CardPartitionTable table(size);
  if (!table.Write(fd, &why)) {
    ::close(fd);
    return Stop(kDiskToolWriteFailed, why);
  }
  int tries = 0;
  while (::ioctl(fd, BLKRRPART) != 0 && errno == EBUSY && ++tries < 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ::close(fd);

  if (const char* udevadm = FindProgram({"/usr/bin/udevadm", "/bin/udevadm", "/sbin/udevadm"})) {
    Run({udevadm, "settle", "--timeout=10", nullptr});
  }
  const std::string partition = PartitionNode(disk);
  for (int i = 0; i < 50 && ::access(partition.c_str(), F_OK) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const char* mkfs = FindProgram({"/usr/sbin/mkfs.vfat", "/sbin/mkfs.vfat"});
  if (mkfs == nullptr) return Stop(kDiskToolFormatFailed, "mkfs.vfat is not installed");
  if (Run({mkfs, "-F", "32", partition.c_str(), nullptr}) != 0) {
    return Stop(kDiskToolFormatFailed, "mkfs.vfat failed on " + partition);
  }
  ::sync();
  return kDiskToolDone;
}
