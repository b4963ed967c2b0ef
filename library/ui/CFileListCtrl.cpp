#include "library/ui/CFileListCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "library/RecordingNames.h"

namespace library {

CFileListCtrl::CFileListCtrl(QWidget* parent, platform::MessageSink* parent_sink)
    : CRowScrollArea(parent, kRowHeight), parent_sink_(parent_sink) {
  setFrameShape(QFrame::NoFrame);
}

void CFileListCtrl::SetRows(std::vector<RecordingEntry> shown) {
  shown_ = std::move(shown);
  RowsChanged();
}

QColor CFileListCtrl::RowColour(const RecordingEntry& entry, bool current) {
  const TriggerRow* trigger = TriggerOf(entry.name);
  const bool impact = trigger != nullptr && trigger->impact;
  if (current) return impact ? QColor(178, 178, 142) : QColor(178, 178, 178);
  return impact ? QColor(255, 255, 204) : QColor(255, 255, 255);
}

void CFileListCtrl::DrawRow(QPainter& p, int row, const QRect& rect) {
  // Column 0 takes the width but for 51 pixels; column 1 carries no text.
  const int column = std::max(0, viewport()->width() - 51);
  const RecordingEntry& entry = shown_[static_cast<std::size_t>(row)];
  const bool current = row == current_;
  const QRect cell(0, rect.y(), column, kRowHeight);
  p.fillRect(current ? rect : cell, RowColour(entry, current));
  p.setPen(QColor(136, 136, 136));
  p.drawRect(cell);  // a 1-pixel frame one pixel larger right and bottom
  p.setPen(Qt::black);
  const QString text = QString::fromStdString(DisplayName(entry.name)).left(259);
  p.drawText(cell.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
             p.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, column - 4)));
}

void CFileListCtrl::MoveToRow(int row) {
  if (on_row_selected) on_row_selected(row);
}

void CFileListCtrl::mousePressEvent(QMouseEvent* event) {
  const int row = RowAt(event->position().toPoint());
  if (row >= 0) MoveToRow(row);
}

void CFileListCtrl::mouseDoubleClickEvent(QMouseEvent*) {
  if (parent_sink_ != nullptr) parent_sink_->Post(kMessageListDoubleClick, 0, 0);
}

}  // namespace library
