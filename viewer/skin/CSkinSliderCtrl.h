#pragma once

#include <QImage>
#include <QWidget>
#include <array>

#include "platform/MessageSink.h"

namespace viewer {

inline constexpr std::uint32_t kSliderDragStart = 0x8066;
inline constexpr std::uint32_t kSliderMoved = 0x8065;
inline constexpr std::uint32_t kSliderDragEnd = 0x8067;
inline constexpr int kPositionSliderId = 38100;
inline constexpr int kVolumeSliderId = 38101;

// A slider drawn from four images: the left (done) track, the right track,
// the thumb and the pressed thumb. It tells its parent when a drag starts,
// while the value moves and when the drag ends.
class CSkinSliderCtrl : public QWidget {
 public:
  CSkinSliderCtrl(QWidget* parent, int id, std::array<int, 4> images, platform::MessageSink* notify);

  void SetRange(int min, int max);
  // Stores the value and redraws; does not notify.
  void SetValue(int value);
  int value() const { return value_; }
  // Value <-> pixel, with the range counted from min and in 64 bits: a range
  // larger than the width and a non-zero minimum both map correctly.
  int ValueAt(int x) const;
  int ThumbLeft() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  void Notify(std::uint32_t message);
  const int id_;
  platform::MessageSink* const notify_;
  std::array<QImage, 4> images_;
  int min_ = 0, max_ = 100, value_ = 0;
  bool dragging_ = false;
};

}  // namespace viewer
