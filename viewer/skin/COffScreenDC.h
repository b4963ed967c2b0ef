#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>

namespace viewer {

// A window's off-screen drawing surface: everything is painted into it, then
// copied to the window once.
class COffScreenDC {
 public:
  // Starts a frame of the given size; the painter is valid until Finish.
  QPainter& Begin(const QSize& size) {
    if (image_.size() != size) image_ = QImage(size.isEmpty() ? QSize(1, 1) : size, QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
    painter_.begin(&image_);
    return painter_;
  }
  // Copies the finished frame to the widget being painted.
  void Finish(QWidget* widget) {
    painter_.end();
    QPainter target(widget);
    target.drawImage(0, 0, image_);
  }
  const QImage& image() const { return image_; }

 private:
  QImage image_;
  QPainter painter_;
};

}  // namespace viewer
