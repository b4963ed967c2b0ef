#pragma once

#include <cstdint>
#include <functional>

namespace viewer {

class FileJobContext;

// Messages of the file worker to the main window.
// wParam done, lParam total: the progress bar shows done × 100 ÷ total.
inline constexpr std::uint32_t kMessageFileProgress = 0x8008;
// The worker has ended; lParam 1 when it did something (the end step then
// reopens the current recording).
inline constexpr std::uint32_t kMessageFileWorkEnd = 0x8516;
// Recordings were removed: the list is reloaded, then the end step runs.
inline constexpr std::uint32_t kMessageFileListChanged = 0x8517;

// What a file operation reports when it returns.
struct FileJobOutcome {
  // Something was done (files written, deleted, a join started): the end
  // step reselects the current recording.
  bool started = false;
  // "完了しました。" is shown by the end step.
  bool completed = false;
  // Files of the list went away: 0x8517 before the end, so that the list
  // shows what is really left (also after a partial delete).
  bool list_changed = false;
  // After a join: position 0, stopped.
  bool rewind = false;
};

// A file operation: runs on the worker thread and reaches the user only
// through the context.
using FileJob = std::function<FileJobOutcome(FileJobContext& context)>;

}  // namespace viewer
