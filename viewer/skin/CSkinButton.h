#pragma once

#include <QAbstractButton>
#include <QImage>

namespace viewer {

// A button drawn from a strip of four frames (normal, hover, pressed,
// disabled), each as wide as the button, black being transparent.
class CSkinButton : public QAbstractButton {
 public:
  enum Frame { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
  CSkinButton(QWidget* parent, const QSize& size, int image_number, const QString& tooltip = {});

  void SetImage(int image_number);
  int image_number() const { return image_number_; }
  void set_forced_pressed(bool on) {
    forced_pressed_ = on;
    update();
  }
  // The frame the button shows now.
  Frame CurrentFrame() const;
  QSize sizeHint() const override { return size(); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  // The frame's image at x; the check button draws only a 12 x 12 box.
  virtual void DrawFrame(QPainter& painter, Frame frame);
  bool hovered_ = false;
  QImage strip_;

 private:
  int image_number_ = 0;
  bool forced_pressed_ = false;
};

}  // namespace viewer
