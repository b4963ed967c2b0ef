#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/NamedMutex.h"
#include "viewer/commands/FileDialogs.h"
#include "viewer/commands/FileJob.h"
#include "viewer/commands/FileWorker.h"
#include "viewer/skin/PickFolder.h"

namespace library {
class CFileSelectDlg;
}

namespace viewer {

class CQuorbexDlg;

// Runs the file operations (delete, join, CSV export) of the main window on
// its one FileWorker, and does the UI thread's part of the protocol:
//
// Start: the progress bar over the bottom of the video area at 0, every
// control disabled, the worker started on a copy of the list's entries.
// 0x8008 moves the bar (the window's handler). 0x8517 (files went away):
// zoom off, no recording, the list reloaded, row 0 made current; then the
// end. 0x8516, the end: the thread joined (it has already returned), the
// controls enabled, "完了しました。" when the operation says so, position 0
// and stopped after a join, the bar hidden, the current recording opened
// again as asked when starting.
//
// "先頭" (38000) while busy and the program's end clear busy, close the
// dialog the worker is waiting on and wait for the end message in the event
// loop; the UI thread never blocks on a join. UI thread only.
class FileWorkerHost {
 public:
  // What becomes of the recording shown when the operation started.
  enum class Resume {
    kNone,
    // Its players were closed for the operation: open the current row
    // again, stopped at its start.
    kReopen,
    // When its players were closed: open it again, go back to the frame it
    // showed and pause there.
    kReopenAtPosition,
  };
  // Runs the file selection dialog modally; QDialog::Accepted on OK.
  using FileSelectRunner = std::function<int(library::CFileSelectDlg& dialog)>;

  explicit FileWorkerHost(CQuorbexDlg& window);
  ~FileWorkerHost();
  FileWorkerHost(const FileWorkerHost&) = delete;
  FileWorkerHost& operator=(const FileWorkerHost&) = delete;

  // Starts job; false (nothing done) while another operation runs.
  bool Start(FileJob job, Resume resume);
  bool busy() const { return worker_.busy(); }
  // The command guard as the file commands apply it: a loaded recording
  // must not be in the refused zone near its end.
  bool GuardAllows();
  // A job runs or its end step has not yet run.
  bool running() const { return worker_.running(); }
  // Asks the running operation to stop and waits for its end in the event
  // loop (the end step runs meanwhile, unless the window is shutting down).
  void StopAndWait();

  // The UI thread's side of the dialogs; tests replace the modal runs.
  void set_file_select_runner(FileSelectRunner runner) { file_select_runner_ = std::move(runner); }
  void set_folder_runner(FolderDialogRunner runner) { folder_runner_ = std::move(runner); }
  const FolderDialogRunner& folder_runner() const { return folder_runner_; }
  FileDialogs MakeDialogs();

 private:
  void OnMessage(const platform::Message& m);
  void OnListChanged();
  void OnEnd();
  void SetBusyLook(bool busy);
  // Rejects the modal dialogs open over the window (the one the worker
  // waits for), so that a stop never waits for the user.
  void CloseOpenDialogs();

  CQuorbexDlg& window_;
  FileWorker worker_;
  std::shared_ptr<platform::NamedMutex> cache_mutex_;
  FileSelectRunner file_select_runner_;
  FolderDialogRunner folder_runner_;
  Resume resume_ = Resume::kNone;
  int resume_row_ = -1;
  int resume_frame_ = 0;
  // The frame to show once the reopened recording's pictures are ready; -1
  // for none.
  int pending_frame_ = -1;
};

}  // namespace viewer
