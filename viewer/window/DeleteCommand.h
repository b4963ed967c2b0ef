#pragma once

#include <chrono>

namespace viewer {

class CQuorbexDlg;

// Delete (38010): the recording shown is stopped and closed, then the worker
// asks which recordings to delete (file selection dialog, delete mode) and
// how many go, and releases them from the last chosen to the first: on a
// card each set is renamed to "DMY" and hidden, elsewhere it goes to the
// freedesktop trash; nothing is ever deleted for good. A release that
// leaves the main file in place stops there with UI text 97 naming it; the
// list is reloaded afterwards either way (0x8517), so it shows what is
// really left. Installs itself in the window's command hook. UI thread.
class DeleteCommand {
 public:
  explicit DeleteCommand(CQuorbexDlg& window);
  DeleteCommand(const DeleteCommand&) = delete;
  DeleteCommand& operator=(const DeleteCommand&) = delete;

  void Run();
  // How long the files of the recording closed for the delete are given to
  // be let go (1 s; tests shorten it).
  void set_release_wait(std::chrono::milliseconds wait) { release_wait_ = wait; }

 private:
  CQuorbexDlg& window_;
  std::chrono::milliseconds release_wait_{1000};
};

}  // namespace viewer
