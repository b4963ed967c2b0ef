#include "library/RecordingNames.h"

#include <cstdio>
#include <regex>
#include <unordered_map>

#include "platform/FileSystem.h"
#include "recording/CompanionPath.h"
#include "viewer/settings/UiTextTable.h"

namespace library {
namespace {

constexpr std::size_t kFieldLimit = 259;

const std::regex& RecordingPattern() {
  static const std::regex r("[APGTM_]{1,1}[G_]{1,1}[S_]{1,1}-[0-9]{6,6}-[0-9]{6,6}-[0-9]{6,6}[SM]{1,1}.MOV");
  return r;
}
const std::regex& MainCameraPattern() {
  static const std::regex r("[APGTM_]{1,1}[G_]{1,1}[S_]{1,1}-[0-9]{6,6}-[0-9]{6,6}-[0-9]{6,6}[M]{1,1}.MOV");
  return r;
}

bool Matches(std::string_view text, const std::regex& pattern) {
  return std::regex_match(text.begin(), text.end(), pattern);
}

// The recording patterns match only 29-character names; a scan asks about
// the same names several times, so their answers are remembered per thread.
bool MatchesNamePattern(std::string_view name, const std::regex& pattern, int which) {
  if (name.size() != kNameLength) return false;
  thread_local std::unordered_map<std::string, std::uint8_t> known;
  if (known.size() > 20000) known.clear();
  auto [it, added] = known.try_emplace(std::string(name), 0);
  const std::uint8_t asked = static_cast<std::uint8_t>(1u << (2 * which));
  if (!(it->second & asked)) {
    it->second |= asked;
    if (Matches(name, pattern)) it->second |= static_cast<std::uint8_t>(asked << 1);
  }
  return it->second & (asked << 1);
}

char At(std::string_view s, std::size_t i) { return i < s.size() ? s[i] : '\0'; }

// Characters from position p up to the first c or the end (at most 259).
std::string FieldUpTo(std::string_view s, std::size_t p, char c) {
  if (p >= s.size()) return {};
  std::string_view rest = s.substr(p);
  rest = rest.substr(0, std::min(rest.find(c), kFieldLimit));
  return std::string(rest);
}

// Leading-digits decimal value of n characters at p; non-digits give 0.
int Digits(std::string_view s, std::size_t p, std::size_t n) {
  int value = 0;
  for (std::size_t i = p; i < p + n && i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) value = value * 10 + (s[i] - '0');
  return value;
}

}  // namespace

bool MatchesRecordingPattern(std::string_view name) { return MatchesNamePattern(name, RecordingPattern(), 0); }
bool MatchesMainCameraPattern(std::string_view name) { return MatchesNamePattern(name, MainCameraPattern(), 1); }

bool IsGroupName(std::string_view text) {
  static const std::regex r("[0-9]{6,6}_[0-9]{4,4}");
  return Matches(text, r);
}

bool IsTopFolderName(std::string_view text) {
  static const std::regex r("Normal|Parking");
  return Matches(text, r);
}

bool IsRecordingName(std::string_view name) { return MatchesRecordingPattern(name) && CategoryOf(name).has_value(); }
bool IsMainCameraName(std::string_view name) { return MatchesMainCameraPattern(name) && CategoryOf(name).has_value(); }

bool HasMovExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 4 != name.size()) return false;
  const std::string_view ext = name.substr(dot);
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return upper(ext[1]) == 'M' && upper(ext[2]) == 'O' && upper(ext[3]) == 'V';
}

std::optional<TriggerCategory> CategoryOf(std::string_view name) {
  if (const TriggerRow* row = TriggerOf(name)) return row->category;
  return std::nullopt;
}

std::string_view TriggerText(std::string_view name) {
  const TriggerRow* row = TriggerOf(name);
  if (name.size() < kNameLength || row == nullptr) return {};
  return viewer::UiText(row->text);
}

unsigned TriggerBits(std::string_view name) {
  const TriggerRow* row = TriggerOf(name);
  return row != nullptr ? row->bit : 0;
}

int TriggerCode(std::string_view name) {
  return TriggerOf(name) != nullptr ? static_cast<unsigned char>(name[0]) : 0;
}

platform::SystemTime TimeOfName(std::string_view name) {
  const std::string date = FieldUpTo(name, 4, '-');
  const std::string time = FieldUpTo(name, 11, '-');
  // A folder's names lie within hours of each other, and a scan reads them
  // again for every selected item: the zone is looked up once per hour.
  thread_local platform::LocalTimeConverter converter;
  const auto seconds = converter.FieldsToUnixSeconds(2000 + Digits(date, 0, 2), Digits(date, 2, 2), Digits(date, 4, 2),
                                                     Digits(time, 0, 2), Digits(time, 2, 2), Digits(time, 4, 2));
  if (const auto t = converter.ToLocalTime(seconds.value_or(0))) return *t;
  return platform::UnixSecondsToLocalTime(0).value_or(platform::SystemTime{});
}

std::string DisplayName(std::string_view name) {
  if (IsRecordingName(name)) {
    const char camera = IsMainCameraName(name) ? 'M' : 'S';
    return std::string(name.substr(0, 3)) + "-" + FieldUpTo(name, 11, camera);
  }
  return std::string(name.substr(0, std::min(name.find('.'), kFieldLimit)));
}

std::string SnapshotBaseName(const std::filesystem::path& path) {
  std::string cut = path.filename().string();
  cut = cut.substr(0, std::min(cut.find('.'), kFieldLimit));
  if (cut.empty()) return {};
  const std::string rest = cut.size() > 4 ? cut.substr(4) : std::string();
  return rest.substr(0, 14) + cut.back();
}

std::string GroupOfFile(std::string_view name, GroupState& state) {
  const platform::SystemTime t = TimeOfName(name);
  const std::int64_t d = platform::CalendarSecondsBetween(state.last_time, t);
  state.last_time = t;
  const TriggerRow* letter = TriggerRowOf(0, At(name, 0));
  bool starts_group;
  if (state.group_files >= 200) {
    starts_group = true;
  } else if (At(name, 2) == 'S') {
    starts_group = true;
  } else if (letter != nullptr && letter->time_lapse) {
    starts_group = d < 892 || d > 908;
  } else {
    starts_group = d < 52 || d > 68;
  }
  if (starts_group) {
    state.group_files = 0;
    const std::string date = FieldUpTo(name, 4, '-');
    if (date != state.previous_group.substr(0, 6)) state.date_counters.try_emplace(date, 0);
    const int counter = ++state.date_counters[date];
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "_%04d", counter % 10000);
    state.previous_group = date + suffix;
  }
  ++state.group_files;
  return state.previous_group;
}

RecordingRoot RecordingRootOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.parent_path();
  const std::string f = folder.string();
  if (f.size() >= 5) {
    const std::filesystem::path parent = f.substr(0, f.size() - 5);
    const std::string last = f.substr(f.size() - 4);
    if ((last == "Main" || last == "Sub_" || last == "Data") && platform::Fs().IsDirectory(folder) &&
        platform::Fs().IsDirectory(parent)) {
      return {parent, true};
    }
  }
  return {folder, false};
}

bool IsCardLayout(const std::filesystem::path& path) {
  const std::filesystem::path mount = platform::Fs().MountPointOf(path);
  return platform::Fs().IsDirectory(mount / "Normal") && platform::Fs().IsDirectory(mount / "Parking");
}

namespace {

// The companion files of one recording, in release order.
struct ReleaseRow {
  const char* folder;
  const char* present_extension;
  const char* alternative_extension;  // empty when there is none
  const char* release_extension;
};
constexpr ReleaseRow kReleaseRows[] = {
    {"Main", "MOV", "", "DMY"},
    {"Sub_", "MOV", "DMY", "DMY"},
    {"Data", "ADA", "", "ADA"},
};

}  // namespace

bool ReleaseRecording(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  platform::FileSystem& fs = platform::Fs();
  if (IsCardLayout(path) && IsRecordingName(name)) {
    const RecordingRoot root = RecordingRootOf(path);
    bool all_moved = true;
    for (const ReleaseRow& row : kReleaseRows) {
      const bool main_row = std::string_view(row.folder) == "Main";
      std::string prefix = root.root.string();
      if (root.in_subfolder) prefix.append("/").append(row.folder);
      prefix.append("/").append(name, 0, kBaseNameLength).append(1, row.folder[0]).append(".");
      std::filesystem::path file = prefix + row.present_extension;
      if (!fs.Exists(file)) {
        if (row.alternative_extension[0] != '\0' && fs.Exists(prefix + row.alternative_extension)) {
          file = prefix + row.alternative_extension;
        } else {
          continue;
        }
      }
      const std::filesystem::path target = prefix + row.release_extension;
      if (fs.Exists(target)) {
        if (main_row) return false;
        continue;
      }
      // A card formatted with a file system that has no hidden attribute
      // (exFAT) still releases the file by its name.
      if (fs.SetHidden(file, true) == platform::AttributeResult::kFailed) {
        if (main_row) return false;
        continue;
      }
      if (!fs.Rename(file, target)) {
        if (main_row) return false;
        all_moved = false;
      }
    }
    return all_moved;
  }

  bool ok = true;
  auto trash = [&](const std::filesystem::path& file) {
    if (fs.Exists(file) && !DeleteToTrash(file)) ok = false;
  };
  trash(path);
  if (IsMainCameraName(name)) {
    trash(recording::CompanionPath(path, recording::Companion::kOtherCamera));
    trash(recording::DataPath(path));
  }
  return ok;
}

bool DeleteToTrash(const std::filesystem::path& path) {
  if (path.empty() || !platform::Fs().Exists(path)) return false;
  return platform::Fs().MoveToTrash(path);
}

}  // namespace library
