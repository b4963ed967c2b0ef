#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/RecordingEntry.h"

namespace viewer {

// Which list the file selection dialog offers and what it allows.
enum class FileSelectMode { kDelete = 0, kBackUp = 1, kJoin = 2 };

// What a file operation asks of the user. Each runs on the UI thread,
// modally; the worker reaches them through FileJobContext. Texts are UTF-8.
struct FileDialogs {
  // The folder picker remembering its folder under "FOLDERPATH"/key, with
  // UI text prompt_text as its prompt; empty when none was chosen.
  std::function<std::string(std::string_view key, int prompt_text)> pick_folder;
  // OK/Cancel question; true on OK.
  std::function<bool(const std::string& text, const std::string& caption)> question;
  std::function<void(const std::string& text, const std::string& caption)> message;
  // The file selection dialog over entries; the ticked entries in list
  // order, none on Cancel.
  std::function<std::optional<std::vector<library::RecordingEntry>>(FileSelectMode mode,
                                                                  const std::vector<library::RecordingEntry>& entries)>
      select_files;
};

}  // namespace viewer
