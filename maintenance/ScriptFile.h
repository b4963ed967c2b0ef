#pragma once

#include <filesystem>
#include <string>

namespace maintenance {

inline constexpr char kScriptFileName[] = "fmt.txt";

// Where the script goes: the program's folder when we may write there,
// otherwise $XDG_RUNTIME_DIR (empty when neither is usable).
std::filesystem::path ScriptFolder(const std::filesystem::path& program_folder);

// Writes the script as folder/fmt.txt for the disk tool to read. A stale
// fmt.txt that is a regular file owned by us is removed first; anything else
// in its place (a link, a folder, another user's file) makes the write fail
// rather than be followed or replaced. The new file is created exclusively,
// without following links, mode 0600, and synced. On failure error says why
// and no partial file is left.
bool WriteScriptFile(const std::filesystem::path& file, const std::string& script, std::string* error);

}  // namespace maintenance
