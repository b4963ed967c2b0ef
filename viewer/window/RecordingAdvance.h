#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "library/DriveLossRule.h"
#include "platform/MessageSink.h"
#include "platform/NamedMutex.h"
#include "viewer/commands/ContinuationBound.h"

namespace library {
struct TreeItem;
}

namespace viewer {

class CQuorbexDlg;
class RecordingOpener;

// Moves the main window from one recording to another and copes with the
// source going away: previous and next, the end of a recording moving on to
// the next one (and from the last recording of a folder to the first of the
// next folder of the tree: folder auto-advance), automatic continuation over
// recordings that fail to open (bounded, ending with the open-failure
// message), a folder selected in the tree, and the loss of the source. The
// opening itself is the opener's; this class chooses what it opens. Installs
// itself in the window's hooks and the tree's, passing on what it does not
// handle. UI thread only.
class RecordingAdvance {
 public:
  // executable: the program's file, whose file system ending means the
  // program must end too.
  RecordingAdvance(CQuorbexDlg& window, RecordingOpener& opener, const std::filesystem::path& executable);
  ~RecordingAdvance();
  RecordingAdvance(const RecordingAdvance&) = delete;
  RecordingAdvance& operator=(const RecordingAdvance&) = delete;

  // Replaces the rule that tells a lost card from the program's own drive.
  void set_drive_loss_rule(const library::DriveLossRule& rule) { drive_loss_ = rule; }
  // On while the end of a folder's last recording moves on to the next folder.
  bool auto_advance() const { return auto_advance_; }
  const ContinuationBound& continuation() const { return continuation_; }

 private:
  bool OnCommand(int command);
  void OnMessage(const platform::Message& m);
  void OnEnd(std::uint32_t generation);
  void OnPrevious();
  void OnNext();
  void OnFolderSelected(library::TreeItem* item);
  void OnOpenFailed(int row, bool automatic);
  void OnDataLoaded(int row);
  void OnSourceLost();
  // Whether the guard lets stop, previous, next and the like through now.
  bool GuardAllows() const;
  // Silences and stops both players where they are.
  void Halt();
  // Moves on from the current recording: the next row, or at the last the
  // next folder of the tree (or, with none, the last recording again,
  // stopped at its start). after_failure: an automatic open failed, and
  // with nowhere left to go the failure is reported instead.
  void MoveOn(bool after_failure);
  // Selects the next sibling of the tree's current folder; false when there
  // is none.
  bool NextFolder();
  // Folder auto-advance found nothing more: it ends, zoom and fullscreen
  // with it.
  void EndAutoAdvance();
  int RowCount() const;

  CQuorbexDlg& window_;
  RecordingOpener& opener_;
  std::shared_ptr<platform::NamedMutex> cache_mutex_;  // "hMutexCache": the list and the current row
  library::DriveLossRule drive_loss_;
  ContinuationBound continuation_;
  bool auto_advance_ = false;
  std::function<void(library::TreeItem*)> list_folder_;  // the tree's handler before this one: lists a folder
};

}  // namespace viewer
