#pragma once

#include <QLabel>
#include <QPushButton>
#include <vector>

#include "library/RecordingEntry.h"
#include "viewer/skin/CSkinDialog.h"

namespace viewer {
class CSkinCheckButton;
class CSkinListCtrl;
}

namespace library {

// Ticking the recordings a file command works on, with their sizes and the
// command's limits. On OK the result holds the ticked entries in row order.
class CFileSelectDlg : public viewer::CSkinDialog {
 public:
  enum Mode { kDelete = 0, kBackUp = 1, kJoin = 2 };
  static constexpr std::size_t kMaxRows = 1500;
  static constexpr std::uint64_t kJoinLimitMb = 1024;
  static constexpr int kJoinMaxFiles = 100;

  CFileSelectDlg(QWidget* parent, Mode mode);
  // The list offered by default; cut at 1500 with UI text 105 shown.
  void SetDefaultList(const std::vector<RecordingEntry>& entries);
  // The list offered with "show all"; false when it had to be cut at 1500.
  bool SetAllList(const std::vector<RecordingEntry>& entries);
  void SetShowAll(bool on);
  void SetSelectAll(bool on);
  // A click on a row's check mark.
  void ToggleRow(int row);
  void accept() override;

  const std::vector<RecordingEntry>& result() const { return result_; }
  const std::vector<RecordingEntry>& listed() const { return listed_; }
  bool over_size() const { return over_size_; }
  bool too_many() const { return too_many_; }
  int block_first() const { return first_; }
  int block_end() const { return end_; }
  viewer::CSkinListCtrl* list() const { return list_; }
  QPushButton* ok() const { return ok_; }
  QLabel* total() const { return total_; }
  viewer::CSkinCheckButton* show_all() const { return show_all_; }

 private:
  void Fill();
  void Recompute();
  void ApplyJoinBlock(int row, bool checked);
  int TickedCount() const;

  const Mode mode_;
  std::vector<RecordingEntry> default_list_, all_list_, listed_, result_;
  viewer::CSkinListCtrl* list_;
  viewer::CSkinCheckButton* show_all_;
  viewer::CSkinCheckButton* select_all_;
  QLabel* total_;
  QPushButton* ok_;
  int first_ = -1, end_ = -1;
  bool over_size_ = false, too_many_ = false;
};

}  // namespace library
