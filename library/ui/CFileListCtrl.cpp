#include "library/ui/CFileListCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "library/RecordingNames.h"
#include "viewer/skin/COffScreenDC.h"

namespace library {

CFileListCtrl::CFileListCtrl(QWidget* parent, platform::MessageSink* parent_sink)
    : QAbstractScrollArea(parent), parent_sink_(parent_sink) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShape(QFrame::NoFrame);
}

void CFileListCtrl::SetRows(std::vector<RecordingEntry> shown) {
  shown_ = std::move(shown);
  UpdateScroll();
  viewport()->update();
}

void CFileListCtrl::UpdateScroll() {
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(shown_.size()) * kRowHeight - viewport()->height()));
}

void CFileListCtrl::resizeEvent(QResizeEvent* event) {
  UpdateScroll();
  QAbstractScrollArea::resizeEvent(event);
}

void CFileListCtrl::ScrollToRow(int row) {
  const int top = row * kRowHeight;
  QScrollBar* bar = verticalScrollBar();
  if (top < bar->value()) bar->setValue(top);
  if (top + kRowHeight > bar->value() + viewport()->height()) bar->setValue(top + kRowHeight - viewport()->height());
}

QColor CFileListCtrl::RowColour(const RecordingEntry& entry, bool current) {
  const TriggerRow* trigger = TriggerOf(entry.name);
  const bool impact = trigger != nullptr && trigger->impact;
  if (current) return impact ? QColor(178, 178, 142) : QColor(178, 178, 178);
  return impact ? QColor(255, 255, 204) : QColor(255, 255, 255);
}

int CFileListCtrl::RowAt(int y) const {
  const int row = (y + verticalScrollBar()->value()) / kRowHeight;
  return row >= 0 && row < static_cast<int>(shown_.size()) ? row : -1;
}

void CFileListCtrl::paintEvent(QPaintEvent*) {
  viewer::COffScreenDC surface;
  QPainter& p = surface.Begin(viewport()->size());
  p.fillRect(QRect(QPoint(0, 0), viewport()->size()), Qt::white);
  // Column 0 takes the width but for 51 pixels; column 1 carries no text.
  const int column = std::max(0, viewport()->width() - 51);
  p.setFont(font());
  for (int i = verticalScrollBar()->value() / kRowHeight; i < static_cast<int>(shown_.size()); ++i) {
    const int y = i * kRowHeight - verticalScrollBar()->value();
    if (y > viewport()->height()) break;
    const RecordingEntry& entry = shown_[static_cast<std::size_t>(i)];
    const bool current = i == current_;
    const QRect cell(0, y, column, kRowHeight);
    p.fillRect(current ? QRect(0, y, viewport()->width(), kRowHeight) : cell, RowColour(entry, current));
    p.setPen(QColor(136, 136, 136));
    p.drawRect(cell);  // a 1-pixel frame one pixel larger right and bottom
    p.setPen(Qt::black);
    const QString text = QString::fromStdString(DisplayName(entry.name)).left(259);
    p.drawText(cell.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, column - 4)));
  }
  surface.Finish(viewport());
}

void CFileListCtrl::mousePressEvent(QMouseEvent* event) {
  const int row = RowAt(static_cast<int>(event->position().y()));
  if (row >= 0 && on_row_selected) on_row_selected(row);
}

void CFileListCtrl::mouseDoubleClickEvent(QMouseEvent*) {
  if (parent_sink_ != nullptr) parent_sink_->Post(kMessageListDoubleClick, 0, 0);
}

}  // namespace library
