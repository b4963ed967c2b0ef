#pragma once

#include <QStringList>
#include <functional>
#include <vector>

#include "viewer/skin/CRowScrollArea.h"

namespace viewer {

// A list with check boxes drawn as state images: 1 unchecked, 2 unchecked
// under the mouse, 3 checked. Hovering an unchecked row shows 2, leaving
// restores 1; a click toggles between 3 and 1. The column titles take the
// first line and are never a row. The keys move a focus row (framed while
// the list has the focus); Space toggles it as a click does.
class CSkinListCtrl : public CRowScrollArea {
 public:
  static constexpr int kRowHeight = 20;
  struct Column {
    QString title;
    int width;
    Qt::Alignment align;
  };
  CSkinListCtrl(QWidget* parent, std::vector<Column> columns, int image_number = 217);

  void SetRows(std::vector<QStringList> rows);  // all unchecked
  int row_count() const { return static_cast<int>(rows_.size()); }
  // 1 unchecked, 2 unchecked under the mouse, 3 checked.
  int StateImage(int row) const;
  bool checked(int row) const { return checked_[static_cast<std::size_t>(row)]; }
  // Sets a row's mark without telling anyone.
  void SetChecked(int row, bool on);
  void ClickRow(int row);
  // Told after a click changed a row.
  std::function<void(int row, bool checked)> on_check_changed;

 protected:
  int RowCount() const override { return row_count(); }
  void DrawRow(QPainter& painter, int row, const QRect& rect) override;
  void DrawTitles(QPainter& painter, const QRect& band) override;
  int KeyRow() const override { return focus_row_; }
  void MoveToRow(int row) override;
  void keyPressEvent(QKeyEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  // One line of column texts, each in its column.
  void DrawLine(QPainter& painter, int y, const QStringList& texts) const;
  void EnsureFocusRow();
  std::vector<Column> columns_;
  QImage marks_;
  std::vector<QStringList> rows_;
  std::vector<bool> checked_;
  int hover_ = -1;
  int focus_row_ = -1;
};

}  // namespace viewer
