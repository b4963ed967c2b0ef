#include "viewer/skin/CRowScrollArea.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "viewer/skin/COffScreenDC.h"

namespace viewer {
namespace {

// A wheel notch is 120 units and scrolls three rows; high-resolution wheels
// send parts of a notch, which add up to rows.
constexpr int kWheelUnitsPerRow = 120 / 3;

}  // namespace

CRowScrollArea::CRowScrollArea(QWidget* parent, int row_height, int title_height)
    : QAbstractScrollArea(parent), row_height_(row_height), title_height_(title_height) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  verticalScrollBar()->setSingleStep(1);
}

QRect CRowScrollArea::RowBand() const {
  const int top = std::min(title_height_, viewport()->height());
  return QRect(0, top, viewport()->width(), viewport()->height() - top);
}

int CRowScrollArea::Offset() const {
  const int end = std::max(0, RowCount() * row_height_ - RowBand().height());
  return std::min(verticalScrollBar()->value() * row_height_, end);
}

int CRowScrollArea::PageRows() const { return std::max(1, RowBand().height() / row_height_); }

void CRowScrollArea::UpdateRange() {
  QScrollBar* bar = verticalScrollBar();
  bar->setPageStep(PageRows());
  // Scrolled to the maximum, the rows that fit wholly lie below the first
  // shown; any part-row left over is taken from the top (see Offset).
  bar->setRange(0, std::max(0, RowCount() - RowBand().height() / row_height_));
}

void CRowScrollArea::RowsChanged() {
  UpdateRange();
  viewport()->update();
}

QRect CRowScrollArea::RowRect(int row) const {
  return QRect(0, title_height_ + row * row_height_ - Offset(), viewport()->width(), row_height_);
}

int CRowScrollArea::FirstVisibleRow() const { return Offset() / row_height_; }

int CRowScrollArea::RowAt(const QPoint& point) const {
  if (!RowBand().contains(point)) return -1;
  const int row = (point.y() - title_height_ + Offset()) / row_height_;
  return row < RowCount() ? row : -1;
}

void CRowScrollArea::ScrollToRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  const QRect band = RowBand();
  const QRect rect = RowRect(row);
  if (rect.top() < band.top()) {
    verticalScrollBar()->setValue(row);
  } else if (rect.bottom() > band.bottom()) {
    verticalScrollBar()->setValue(row - PageRows() + 1);
  }
}

void CRowScrollArea::DrawTitles(QPainter&, const QRect&) {}

void CRowScrollArea::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(viewport()->size());
  p.fillRect(QRect(QPoint(0, 0), viewport()->size()), Qt::white);
  p.setFont(font());
  if (title_height_ > 0) DrawTitles(p, QRect(0, 0, viewport()->width(), title_height_));
  const QRect band = RowBand();
  p.setClipRect(band);
  for (int row = FirstVisibleRow(); row < RowCount(); ++row) {
    const QRect rect = RowRect(row);
    if (rect.top() > band.bottom()) break;
    p.save();
    DrawRow(p, row, rect);
    p.restore();
  }
  surface.Finish(viewport());
}

void CRowScrollArea::resizeEvent(QResizeEvent* event) {
  UpdateRange();
  QAbstractScrollArea::resizeEvent(event);
}

void CRowScrollArea::scrollContentsBy(int, int) { viewport()->update(); }

void CRowScrollArea::wheelEvent(QWheelEvent* event) {
  const int units = event->angleDelta().y();
  if ((units > 0) != (wheel_units_ > 0)) wheel_units_ = 0;  // turned back: start over
  wheel_units_ += units;
  const int rows = wheel_units_ / kWheelUnitsPerRow;
  wheel_units_ -= rows * kWheelUnitsPerRow;
  verticalScrollBar()->setValue(verticalScrollBar()->value() - rows);
  event->accept();
}

void CRowScrollArea::keyPressEvent(QKeyEvent* event) {
  const int count = RowCount();
  const int from = KeyRow();
  int to = 0;
  switch (event->key()) {
    case Qt::Key_Up:
      to = from - 1;
      break;
    case Qt::Key_Down:
      to = from + 1;
      break;
    case Qt::Key_PageUp:
      to = from - PageRows();
      break;
    case Qt::Key_PageDown:
      to = from + PageRows();
      break;
    case Qt::Key_Home:
      to = 0;
      break;
    case Qt::Key_End:
      to = count - 1;
      break;
    default:
      QWidget::keyPressEvent(event);  // not ours: the parent may want it
      return;
  }
  event->accept();
  if (count == 0) return;
  // With no row yet, the first step lands on the top row in view.
  if (from < 0 && event->key() != Qt::Key_Home && event->key() != Qt::Key_End) to = FirstVisibleRow();
  to = std::clamp(to, 0, count - 1);
  if (to != from) MoveToRow(to);
  ScrollToRow(to);
}

}  // namespace viewer
