#include "viewer/settings/FolderIni.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <mutex>

#include "platform/FileSystem.h"
#include "viewer/settings/IniFile.h"

namespace viewer {
namespace {

struct SettingsLocation {
  std::filesystem::path startup_folder;
  std::filesystem::path folder;  // where the settings file lives
};

std::mutex g_lock;  // guards the location and serialises read-modify-write within the process

SettingsLocation& Location() {
  static SettingsLocation location;
  return location;
}

std::filesystem::path DefaultConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "/tmp") / ".config";
}

// Cuts UTF-8 text after 259 UTF-16 code units.
std::string CutToProfileLength(std::string value) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < value.size();) {
    const auto c = static_cast<unsigned char>(value[i]);
    const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    const std::size_t width = length == 4 ? 2 : 1;
    if (units + width > 259) return value.substr(0, i);
    units += width;
    i += length;
  }
  return value;
}

// Holds an advisory lock on the settings folder so that two processes never
// interleave their read-modify-write of the file.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& folder)
      : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) {
      flock(fd_, LOCK_UN);
      close(fd_);
    }
  }

 private:
  int fd_;
};

}  // namespace

void InitializeSettings(const std::filesystem::path& startup_folder, const std::filesystem::path& config_home) {
  std::lock_guard guard(g_lock);
  SettingsLocation& location = Location();
  location.startup_folder = startup_folder;
  if (platform::Fs().Exists(startup_folder / kSettingsFileName)) {
    location.folder = startup_folder;
  } else {
    location.folder = (config_home.empty() ? DefaultConfigHome() : config_home) / "brennovale";
  }
}

const std::filesystem::path& StartupFolder() { return Location().startup_folder; }

std::filesystem::path SettingsFilePath() {
  std::lock_guard guard(g_lock);
  return Location().folder / kSettingsFileName;
}

bool SettingsFileExists() { return platform::Fs().Exists(SettingsFilePath()); }

std::optional<std::string> ReadFolderIniIfPresent(std::string_view section, std::string_view key) {
  const auto text = platform::Fs().ReadWholeFile(SettingsFilePath());
  if (!text || !*text) return std::nullopt;
  auto value = IniFile::Parse(**text).Get(section, key);
  if (!value) return std::nullopt;
  return CutToProfileLength(*value);
}

std::string ReadFolderIni(std::string_view section, std::string_view key) {
  return ReadFolderIniIfPresent(section, key).value_or("");
}

bool WriteFolderIni(std::string_view section, std::string_view key, std::string_view value, std::string* error) {
  const std::filesystem::path path = SettingsFilePath();
  std::lock_guard guard(g_lock);
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  FolderLock folder_lock(path.parent_path());
  // Only a missing file starts empty: saving the one new key over a file that
  // could not be read would wipe every other setting.
  const auto text = platform::Fs().ReadWholeFile(path);
  if (!text) {
    if (error != nullptr) *error = text.error() + "; the settings were not saved";
    return false;
  }
  IniFile ini = IniFile::Parse(text->value_or(""));
  ini.Set(section, key, value);
  if (!platform::Fs().WriteFileAtomically(path, ini.Serialize())) {
    if (error != nullptr) *error = path.string() + ": cannot be written";
    return false;
  }
  platform::Fs().SetHidden(path, true);
  return true;
}

void WriteDisplayDefaultsIfMissing() {
  if (SettingsFileExists()) return;
  WriteFolderIni(kSectionDisplay, kKeyInfoCheck, "31");
  WriteFolderIni(kSectionDisplay, kKeyAspect, "on");
  WriteFolderIni(kSectionDisplay, kKeyVolume, "65535");
}

bool KeepAspectSetting() { return ReadFolderIni(kSectionDisplay, kKeyAspect) == "on"; }

int VolumeSetting() {
  const std::string text = ReadFolderIni(kSectionDisplay, kKeyVolume);
  if (text.empty()) return 65535;
  // Decimal conversion that stops at the first non-digit, as _wtoi does.
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  long value = 0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
  // Too many digits saturate rather than read as 0 (silence).
  if (result.ec == std::errc::result_out_of_range) value = text[i] == '-' ? -2147483647L : 2147483647L;
  return static_cast<int>(std::clamp(value, -2147483647L, 2147483647L));
}

bool HardwareDecodeSetting() { return ReadFolderIni(kSectionDecode, kKeyHw) == "on"; }

}  // namespace viewer
