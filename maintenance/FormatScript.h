#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace maintenance {

// The disk tool's script: select the volume, wipe it, one primary partition,
// FAT32. The volume is what ScriptVolume makes of the chosen entry.
std::string FormatScript(std::string_view volume_entry);

// A drive-letter entry ("F:\ (SD)") names its volume by its first two
// characters; any other entry (a /dev/disk/by-id/... name) is used whole.
std::string ScriptVolume(std::string_view volume_entry);

// The volume of a script that is exactly FormatScript's four lines for a
// stable device name under /dev/disk/by-id/ (one name, no folders, no
// "." or ".."); nullopt for anything else.
std::optional<std::string> ParseFormatScript(std::string_view script);

inline constexpr char kByIdFolder[] = "/dev/disk/by-id/";
// The most the disk tool reads of a script.
inline constexpr std::size_t kMaxScriptBytes = 1024;

}  // namespace maintenance
