#pragma once

#include <functional>
#include <vector>

#include "library/RecordingEntry.h"
#include "platform/MessageSink.h"
#include "viewer/skin/CRowScrollArea.h"

namespace library {

inline constexpr std::uint32_t kMessageListDoubleClick = 0x8385;

// The recording list: 20-pixel rows drawn by itself, one per shown entry,
// the row of the recording that plays drawn as current. A click or a key that
// moves to another row hands that row to on_row_selected; the row becomes
// current when the owner says so.
class CFileListCtrl : public viewer::CRowScrollArea {
 public:
  static constexpr int kRowHeight = 20;
  CFileListCtrl(QWidget* parent, platform::MessageSink* parent_sink);

  // Replaces the rows (the shown entries, in order).
  void SetRows(std::vector<RecordingEntry> shown);
  const std::vector<RecordingEntry>& rows() const { return shown_; }
  void set_current_row(int row) {
    current_ = row;
    viewport()->update();
  }
  int current_row() const { return current_; }
  // What the player found when row was opened: its quality code and ms per
  // frame (the export reads them). A row outside the list is ignored.
  void SetOpenedDetails(int row, std::int32_t quality_code, float frame_period) {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) return;
    shown_[static_cast<std::size_t>(row)].quality_code = quality_code;
    shown_[static_cast<std::size_t>(row)].frame_period = frame_period;
  }
  // Handed the row the user selected (the main window decides what happens).
  std::function<void(int row)> on_row_selected;

  // The colours of a row, as drawn.
  static QColor RowColour(const RecordingEntry& entry, bool current);

 protected:
  int RowCount() const override { return static_cast<int>(shown_.size()); }
  void DrawRow(QPainter& painter, int row, const QRect& rect) override;
  int KeyRow() const override { return current_; }
  void MoveToRow(int row) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  platform::MessageSink* const parent_sink_;
  std::vector<RecordingEntry> shown_;
  int current_ = -1;
};

}  // namespace library
