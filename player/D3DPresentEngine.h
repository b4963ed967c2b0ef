#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <mutex>

namespace player {

// Puts the frame on screen into the view: the normalised source rectangle
// (zoom and pan), the destination rectangle in view pixels (corners
// exchanged: the picture turned by 180 degrees), and keep-aspect or stretch.
// Composing into an image keeps it usable without a GPU (QImage
// presentation); the view widget copies the result to the screen once.
class D3DPresentEngine {
 public:
  void SetVideoPosition(const QRectF& source, const QRect& destination);
  void GetVideoPosition(QRectF* source, QRect* destination) const;
  void SetAspectRatioMode(bool keep_aspect);
  bool keep_aspect() const;

  // The frame drawn into a view of the given size; black where no picture is.
  QImage Compose(const QImage& frame, const QSize& view) const;

 private:
  // Guards the geometry: set by the view's operations and by painting
  // (zoom, pan and turn go in just before each compose), read while painting.
  mutable std::mutex lock_;
  QRectF source_{0.0, 0.0, 1.0, 1.0};
  QRect destination_;  // empty: the whole view
  bool keep_aspect_ = true;
};

}  // namespace player
