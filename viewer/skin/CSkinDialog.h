#pragma once

#include <QDialog>

namespace viewer {

class CSkinButton;

// The base of the program's dialogs: no system border, a 20-pixel grey
// title band with the window text, a close button at the top right, moved
// by dragging the title band. Keys never end it: Return and Escape do
// nothing anywhere in it, and a button acts only on a click or on Space while
// it has the focus. The first focus goes to the content, never to a button.
class CSkinDialog : public QDialog {
 public:
  static constexpr int kTitleHeight = 20;
  explicit CSkinDialog(QWidget* parent);
  CSkinButton* close_button() const { return close_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void showEvent(QShowEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Paints the client area below the title band (white by default).
  virtual void PaintClient(QPainter& painter);

 private:
  CSkinButton* close_;
  bool dragging_ = false;
  QPoint grab_;
};

}  // namespace viewer
