#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "library/TriggerTable.h"
#include "platform/LocalTime.h"

namespace library {

// The recorder's 29-character file names, TGS-YYMMDD-HHMMSS-NNNNNNC.EXT.
inline constexpr std::size_t kNameLength = 29;
inline constexpr std::size_t kBaseNameLength = 24;

// Whole-name matches of the recorder's patterns (case-sensitive).
bool MatchesRecordingPattern(std::string_view name);
bool MatchesMainCameraPattern(std::string_view name);
bool IsGroupName(std::string_view text);
bool IsTopFolderName(std::string_view text);

// A recording name has a trigger category; so "_" at position 0 passes only
// with G at position 1.
bool IsRecordingName(std::string_view name);
bool IsMainCameraName(std::string_view name);
// The extension found is ".MOV" in any case and is the last four characters.
bool HasMovExtension(std::string_view name);

std::optional<TriggerCategory> CategoryOf(std::string_view name);
std::string_view TriggerText(std::string_view name);
unsigned TriggerBits(std::string_view name);
int TriggerCode(std::string_view name);

// The name's date and time as local time; 1970-01-01 00:00:00 UTC (as local
// time) when the fields cannot be converted.
platform::SystemTime TimeOfName(std::string_view name);
// TGS-HHMMSS-NNNNNN for a recording name; the part before the first "."
// otherwise.
std::string DisplayName(std::string_view name);
// YYMMDD-HHMMSS-M, for files derived from a recording.
std::string SnapshotBaseName(const std::filesystem::path& path);

// What the grouping of one folder scan remembers between files.
struct GroupState {
  std::string previous_group;
  platform::SystemTime last_time = platform::NowLocalTime();
  int group_files = 0;
  std::map<std::string, int> date_counters;
};

// The group (YYMMDD_NNNN) of the next main-camera file in sequence order.
std::string GroupOfFile(std::string_view name, GroupState& state);

// Folder of a recording's files and whether it is one of Main, Sub_, Data.
struct RecordingRoot {
  std::filesystem::path root;
  bool in_subfolder = false;
};
RecordingRoot RecordingRootOf(const std::filesystem::path& path);

// The volume that holds path has Normal and Parking at its top.
bool IsCardLayout(const std::filesystem::path& path);

// Releases a recording on a card (DMY extension and hidden attribute), or
// moves its files to the trash anywhere else. False when the Main file could
// not be released or a file that should have moved did not.
bool ReleaseRecording(const std::filesystem::path& path);
bool DeleteToTrash(const std::filesystem::path& path);

}  // namespace library
