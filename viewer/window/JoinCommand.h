#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace viewer {

class CQuorbexDlg;

// Join (38007): playback goes to frame 0 and stops, then the worker asks
// which recordings to join (file selection dialog, join mode) and where to
// ("FOLDERPATH"/"CONNECT_FOLDER"); the output takes the first chosen
// recording's name. An output that is one of the inputs (or their rear or
// data file) is refused with UI text 95 before anything else is asked; an
// existing output asks first; a front that would pass 4 GiB or a folder
// whose free space is not larger than the recordings is refused before
// anything is created. The joiner (recording::RecordingJoin) takes the
// recordings in list order and writes the three outputs under temporary
// names; a stop (the user's "先頭", the program's end) before the write
// leaves nothing behind. Installs itself in the window's command hook. UI
// thread.
class JoinCommand {
 public:
  // The bytes free for files in folder; none when it cannot be told.
  using FreeSpace = std::function<std::optional<std::uint64_t>(const std::filesystem::path& folder)>;

  explicit JoinCommand(CQuorbexDlg& window);
  JoinCommand(const JoinCommand&) = delete;
  JoinCommand& operator=(const JoinCommand&) = delete;

  void Run();
  void set_free_space(FreeSpace free_space) { free_space_ = std::move(free_space); }

 private:
  CQuorbexDlg& window_;
  FreeSpace free_space_;
};

}  // namespace viewer
