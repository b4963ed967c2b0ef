#include "viewer/skin/CSkinListCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CResourceImage.h"

namespace viewer {

CSkinListCtrl::CSkinListCtrl(QWidget* parent, std::vector<Column> columns, int image_number)
    : QAbstractScrollArea(parent), columns_(std::move(columns)), marks_(CResourceImage::Keyed(image_number)) {
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CSkinListCtrl::SetRows(std::vector<QStringList> rows) {
  rows_ = std::move(rows);
  checked_.assign(rows_.size(), false);
  verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(rows_.size() + 1) * kRowHeight - viewport()->height()));
  viewport()->update();
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

int CSkinListCtrl::RowAt(int y) const {
  const int row = (y + verticalScrollBar()->value()) / kRowHeight - 1;  // the first line holds the titles
  return row >= 0 && row < row_count() ? row : -1;
}

void CSkinListCtrl::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(viewport()->size());
  p.fillRect(QRect(QPoint(0, 0), viewport()->size()), Qt::white);
  p.setFont(font());
  auto draw_line = [&](int y, const QStringList& texts, bool title) {
    int x = 0;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const int inset = c == 0 ? 18 : 4;
      const QRect cell(x + inset, y, columns_[c].width - inset - 4, kRowHeight);
      if (c < static_cast<std::size_t>(texts.size())) p.drawText(cell, columns_[c].align | Qt::AlignVCenter, texts[static_cast<int>(c)]);
      x += columns_[c].width;
    }
    if (title) p.drawLine(0, y + kRowHeight - 1, x, y + kRowHeight - 1);
  };
  QStringList titles;
  for (const Column& c : columns_) titles << c.title;
  p.fillRect(QRect(0, 0, viewport()->width(), kRowHeight), QColor(240, 240, 240));
  p.setPen(Qt::black);
  draw_line(0, titles, true);
  for (int i = 0; i < row_count(); ++i) {
    const int y = (i + 1) * kRowHeight - verticalScrollBar()->value();
    if (y < kRowHeight - kRowHeight || y > viewport()->height()) continue;
    const int frame = StateImage(i) == 3 ? 2 : (StateImage(i) == 2 ? 1 : 0);
    if (!marks_.isNull()) p.drawImage(QPoint(3, y + 4), marks_, QRect(frame * 12, 0, 12, 12));
    draw_line(y, rows_[static_cast<std::size_t>(i)], false);
  }
  surface.Finish(viewport());
}

void CSkinListCtrl::mousePressEvent(QMouseEvent* event) { ClickRow(RowAt(static_cast<int>(event->position().y()))); }

void CSkinListCtrl::mouseMoveEvent(QMouseEvent* event) {
  const int row = RowAt(static_cast<int>(event->position().y()));
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
