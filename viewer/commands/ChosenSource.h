#pragma once

#include <filesystem>

#include "library/SourceScanner.h"

namespace viewer {

// What the source command does with the answer of the source dialog.
enum class ChosenSource {
  kUnchanged,    // no kind, no path, or a path that does not exist: the old source stays
  kForeignName,  // a single file whose name is not the recorder's: refused with UI text 99
  kLoad,         // the list container loads it
};

// Judges a source the user chose in the dialog. The kind is the user's: a
// folder is not turned into a card here, unlike on the command line.
ChosenSource JudgeChosenSource(library::SourceKind kind, const std::filesystem::path& path);

}  // namespace viewer
