#pragma once

#include "viewer/skin/CSkinButton.h"

namespace viewer {

// A 12 x 12 check box at (0, 4) with the text 16 pixels in; hover applies
// only over the box.
class CSkinCheckButton : public CSkinButton {
 public:
  CSkinCheckButton(QWidget* parent, const QString& text, int image_number = 217);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void DrawFrame(QPainter& painter, Frame frame) override;
  bool hitButton(const QPoint& pos) const override;
};

}  // namespace viewer
