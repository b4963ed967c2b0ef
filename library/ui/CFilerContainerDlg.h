#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "library/ui/CFileListCtrl.h"
#include "library/ui/CFolderTreeCtrl.h"
#include "library/SourceScanner.h"
#include "platform/NamedMutex.h"

namespace viewer {
class CSkinButton;
}

namespace library {

// The recording list panel: the folder tree, the hidden path field, the five
// trigger filters and the list, over the scanning state of the source.
class CFilerContainerDlg : public QWidget {
 public:
  static constexpr int kTreeId = 38300, kListId = 1001, kPathId = 38500, kFirstFilterId = 38700;
  // owner receives 0x84B1 from the watcher; list_parent the list's 0x8385.
  CFilerContainerDlg(QWidget* parent, platform::MessageSink* owner, platform::MessageSink* list_parent);
  ~CFilerContainerDlg() override;

  void OpenSource(const std::filesystem::path& path, SourceKind kind);
  bool ReloadSource();
  // The tree's selection handler (the owner's 0x8456): lists the item.
  std::size_t SelectItem(TreeItem* item);
  void RefreshList();
  void SelectRow(int index);
  void SetFilter(int category, bool on);
  bool filter(int category) const { return filters_[static_cast<std::size_t>(category)]; }

  void ArrangeSideBySide(const QRect& client);
  void ArrangeStacked(const QRect& client);
  // Places the filter toggles and their labels within the client rectangle
  // of the last arrangement: mode 0 side by side, 1 stacked.
  void Layout(int mode);
  // Hides the tree, the list and the filter toggles (zoom mode) or shows
  // them again; kept through later arrangements.
  void set_collapsed(bool collapsed) {
    collapsed_ = collapsed;
    ShowControls(!collapsed);
  }

  // Called with the row the user picked, under "hMutexCache"; not called
  // when the row is the current one (unless a reopen was asked for).
  std::function<void(int row, const RecordingEntry& entry)> on_recording_selected;
  void set_reopen(bool reopen) { reopen_ = reopen; }

  SourceScanner& scanner() { return scanner_; }
  CFolderTreeCtrl* tree() const { return tree_; }
  CFileListCtrl* list() const { return list_; }
  QLineEdit* path_field() const { return path_; }
  viewer::CSkinButton* filter_toggle(int category) const { return toggles_[static_cast<std::size_t>(category)]; }
  int current_row() const { return list_->current_row(); }
  std::vector<RecordingEntry> shown() const;

 private:
  void RowSelected(int row);
  void ShowControls(bool visible);
  SourceScanner scanner_;
  std::shared_ptr<platform::NamedMutex> cache_mutex_;
  CFolderTreeCtrl* tree_;
  CFileListCtrl* list_;
  QLineEdit* path_;
  std::array<viewer::CSkinButton*, 5> toggles_{};
  std::array<QLabel*, 5> labels_{};
  std::array<bool, 5> filters_{true, true, true, true, true};
  QRect client_;  // of the last arrangement
  bool collapsed_ = false;
  bool reopen_ = false;
};

}  // namespace library
