#pragma once

#include <QAbstractScrollArea>

namespace viewer {

// A list that draws itself as rows of one height and scrolls by whole rows:
// the scroll bar counts rows, a wheel notch moves three, Page Up/Down a page.
// The range follows the viewport's height and the row count (recomputed on
// every resize and every change of the rows), so scrolled to the end the last
// row ends at the bottom. An optional title band at the top of the viewport
// is never drawn over by rows and never hit as a row.
//
// Subclasses say how many rows there are, draw one row, and say which row the
// keys move from and what moving to a row does; Up, Down, Home, End, Page Up
// and Page Down are handled here.
class CRowScrollArea : public QAbstractScrollArea {
 public:
  // The row drawn at a viewport point; -1 on the titles or past the last row.
  int RowAt(const QPoint& viewport_point) const;
  // A row's rectangle in viewport coordinates (it may lie outside the viewport).
  QRect RowRect(int row) const;
  // The topmost row drawn, wholly or in part.
  int FirstVisibleRow() const;
  // The rows that fit wholly below the titles (at least 1): one page.
  int PageRows() const;
  // Scrolls the least distance that shows the row wholly; rows outside the
  // list are ignored.
  void ScrollToRow(int row);

 protected:
  CRowScrollArea(QWidget* parent, int row_height, int title_height = 0);

  virtual int RowCount() const = 0;
  // Draws one row into its rectangle; the painter is clipped to the rows'
  // band, carries the widget's font and is restored after each row.
  virtual void DrawRow(QPainter& painter, int row, const QRect& rect) = 0;
  virtual void DrawTitles(QPainter& painter, const QRect& band);
  // The row the keys move from (-1: none yet), and what moving to a row does.
  virtual int KeyRow() const = 0;
  virtual void MoveToRow(int row) = 0;
  // To be called whenever the rows change: recomputes the range and repaints.
  void RowsChanged();

  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  QRect RowBand() const;
  // Pixels scrolled: whole rows, except at the end, where the last row ends
  // at the bottom of the band.
  int Offset() const;
  void UpdateRange();

  const int row_height_;
  const int title_height_;
  int wheel_units_ = 0;  // what a high-resolution wheel sent short of a row
};

}  // namespace viewer
