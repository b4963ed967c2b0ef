#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/RecordingEntry.h"
#include "platform/MessageSink.h"
#include "viewer/commands/FileDialogs.h"

namespace viewer {

class FileWorker;

// What a file operation (FileJob) may do besides its own file work. Every
// call is made on the worker thread. Calls that need the user go to the UI
// thread and wait for the answer there; once a stop was requested they
// return Cancel (empty, false, none) at once without showing anything, so
// a job only has to check its results, and stop_requested() between steps.
class FileJobContext {
 public:
  explicit FileJobContext(FileWorker& worker) : worker_(worker) {}

  // The progress bar shows done × 100 ÷ total (100 when total ≤ 0).
  void progress(std::int64_t done, std::int64_t total);
  // busy was cleared (the user's "先頭", the program's end): stop at this step.
  bool stop_requested() const;

  // The folder picker of "FOLDERPATH"/key with UI text prompt_text (102 by
  // default); empty when none was chosen or on a stop. The key is not
  // written: write_setting does that once the folder was used.
  std::string ask_folder(std::string_view key, int prompt_text = 102);
  // An OK/Cancel question; true only on OK.
  bool question(const std::string& text, const std::string& caption);
  // A message box; returns once it is closed (at once after a stop).
  void message(const std::string& text, const std::string& caption);
  // UI texts by number.
  bool question(int text, int caption);
  void message(int text, const std::string& caption);
  // The file selection dialog over entries; none on Cancel or a stop.
  std::optional<std::vector<library::RecordingEntry>> select_files(FileSelectMode mode,
                                                                 std::vector<library::RecordingEntry> entries);
  // Writes one key of the settings file on the UI thread.
  void write_setting(std::string section, std::string key, std::string value);
  // Runs action on the UI thread and waits for it; false (not run, or its
  // effect not waited for) after a stop. action must own what it uses.
  bool on_ui_thread(std::function<void()> action);

  // The list's entries as they were when the operation started (a copy).
  const std::vector<library::RecordingEntry>& entries() const;
  // Where progress messages of other parts (the joiner's 0x8008) go.
  platform::MessageSink& window();

 private:
  FileWorker& worker_;
};

}  // namespace viewer
