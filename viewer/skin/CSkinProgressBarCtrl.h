#pragma once

#include <QWidget>

namespace viewer {

// A 22-pixel bar: the done part blue, the rest white, and "N %" centred in a
// 100-pixel box, white over the done part and blue over the rest.
class CSkinProgressBarCtrl : public QWidget {
 public:
  explicit CSkinProgressBarCtrl(QWidget* parent);
  void SetRange(int min, int max);
  void SetPos(int position);
  int pos() const { return position_; }
  // Width of the done part for a bar this wide.
  int DoneWidth() const;
  int Percent() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int min_ = 0, max_ = 100, position_ = 0;
};

}  // namespace viewer
