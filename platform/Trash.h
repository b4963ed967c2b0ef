#pragma once

#include <filesystem>

namespace platform {

// Moves a file to the freedesktop trash: the home trash
// ($XDG_DATA_HOME/Trash) when the file is on the same volume, otherwise the
// volume's own $topdir/.Trash-$uid. The info file is written first and
// removed again when the move fails, so a failed trash leaves nothing behind.
bool TrashFile(const std::filesystem::path& file, const std::filesystem::path& mount_point);

}  // namespace platform
