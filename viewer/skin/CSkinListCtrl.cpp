#include "viewer/skin/CSkinListCtrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "viewer/skin/CResourceImage.h"

namespace viewer {

CSkinListCtrl::CSkinListCtrl(QWidget* parent, std::vector<Column> columns, int image_number)
    : CRowScrollArea(parent, kRowHeight, kRowHeight),
      columns_(std::move(columns)),
      marks_(CResourceImage::Keyed(image_number)) {
  viewport()->setMouseTracking(true);
}

void CSkinListCtrl::SetRows(std::vector<QStringList> rows) {
  rows_ = std::move(rows);
  checked_.assign(rows_.size(), false);
  focus_row_ = -1;
  RowsChanged();
}

int CSkinListCtrl::StateImage(int row) const {
  if (checked(row)) return 3;
  return row == hover_ ? 2 : 1;
}

void CSkinListCtrl::SetChecked(int row, bool on) {
  if (row < 0 || row >= row_count()) return;
  checked_[static_cast<std::size_t>(row)] = on;
  viewport()->update();
}

void CSkinListCtrl::ClickRow(int row) {
  if (row < 0 || row >= row_count()) return;
  const bool on = !checked(row);
  SetChecked(row, on);
  if (on_check_changed) on_check_changed(row, on);
}

void CSkinListCtrl::DrawLine(QPainter& p, int y, const QStringList& texts) const {
  int x = 0;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const int inset = c == 0 ? 18 : 4;
    const QRect cell(x + inset, y, columns_[c].width - inset - 4, kRowHeight);
    if (c < static_cast<std::size_t>(texts.size())) p.drawText(cell, columns_[c].align | Qt::AlignVCenter, texts[static_cast<int>(c)]);
    x += columns_[c].width;
  }
}

void CSkinListCtrl::DrawTitles(QPainter& p, const QRect& band) {
  QStringList titles;
  int width = 0;
  for (const Column& c : columns_) {
    titles << c.title;
    width += c.width;
  }
  p.fillRect(band, QColor(240, 240, 240));
  p.setPen(Qt::black);
  DrawLine(p, band.y(), titles);
  p.drawLine(0, band.bottom(), width, band.bottom());
}

void CSkinListCtrl::DrawRow(QPainter& p, int row, const QRect& rect) {
  const int frame = StateImage(row) == 3 ? 2 : (StateImage(row) == 2 ? 1 : 0);
  if (!marks_.isNull()) p.drawImage(QPoint(3, rect.y() + 4), marks_, QRect(frame * 12, 0, 12, 12));
  p.setPen(Qt::black);
  DrawLine(p, rect.y(), rows_[static_cast<std::size_t>(row)]);
  if (row == focus_row_ && hasFocus()) {
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(rect.adjusted(0, 0, -1, -1));
  }
}

void CSkinListCtrl::MoveToRow(int row) {
  focus_row_ = row;
  viewport()->update();
}

void CSkinListCtrl::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space) {
    CRowScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
  EnsureFocusRow();
  if (focus_row_ < 0) return;
  ScrollToRow(focus_row_);
  ClickRow(focus_row_);
}

void CSkinListCtrl::EnsureFocusRow() {
  // With no focus row yet, Space acts on the top row in view.
  if (focus_row_ < 0 && row_count() > 0) focus_row_ = FirstVisibleRow();
}

void CSkinListCtrl::focusInEvent(QFocusEvent* event) {
  EnsureFocusRow();
  viewport()->update();
  CRowScrollArea::focusInEvent(event);
}

void CSkinListCtrl::focusOutEvent(QFocusEvent* event) {
  viewport()->update();
  CRowScrollArea::focusOutEvent(event);
}

void CSkinListCtrl::mousePressEvent(QMouseEvent* event) {
  const int row = RowAt(event->position().toPoint());
  if (row < 0) return;  // the titles and the space below the rows tick nothing
  MoveToRow(row);
  ClickRow(row);
}

void CSkinListCtrl::mouseMoveEvent(QMouseEvent* event) {
  const int row = RowAt(event->position().toPoint());
  if (row != hover_) {
    hover_ = row;
    viewport()->update();
  }
}

void CSkinListCtrl::leaveEvent(QEvent*) {
  hover_ = -1;
  viewport()->update();
}

}  // namespace viewer
