#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <vector>

#include "library/RecordingEntry.h"
#include "platform/MessageSink.h"

namespace library {

inline constexpr std::uint32_t kMessageListDoubleClick = 0x8385;

// The recording list: 20-pixel rows drawn by itself, one per shown entry,
// the row of the recording that plays drawn as current.
class CFileListCtrl : public QAbstractScrollArea {
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
  void ScrollToRow(int row);
  // Handed the row the user selected (the main window decides what happens).
  std::function<void(int row)> on_row_selected;

  // The colours of a row, as drawn.
  static QColor RowColour(const RecordingEntry& entry, bool current);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  int RowAt(int y) const;
  void UpdateScroll();
  platform::MessageSink* const parent_sink_;
  std::vector<RecordingEntry> shown_;
  int current_ = -1;
};

}  // namespace library
