#include "viewer/skin/CSkinSliderCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CResourceImage.h"

namespace viewer {

CSkinSliderCtrl::CSkinSliderCtrl(QWidget* parent, int id, std::array<int, 4> images, platform::MessageSink* notify)
    : QWidget(parent), id_(id), notify_(notify) {
  for (std::size_t i = 0; i < images.size(); ++i) images_[i] = CResourceImage::Keyed(images[i]);
  setObjectName("movie slider");
  setFixedHeight(images_[2].isNull() ? 10 : images_[2].height());
}

void CSkinSliderCtrl::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  value_ = std::clamp(value_, min_, max_);
  update();
}

void CSkinSliderCtrl::SetValue(int value) {
  value_ = std::clamp(value, min_, max_);
  update();
}

int CSkinSliderCtrl::ValueAt(int x) const {
  const long long steps = static_cast<long long>(max_) - min_ + 1;
  if (width() <= 0) return min_;
  const long long v = min_ + static_cast<long long>(x) * steps / width();
  return static_cast<int>(std::clamp<long long>(v, min_, max_));
}

int CSkinSliderCtrl::ThumbLeft() const {
  const long long steps = static_cast<long long>(max_) - min_ + 1;
  const int thumb = images_[2].isNull() ? 0 : images_[2].width();
  const long long room = std::max(0, width() - thumb);
  return static_cast<int>((static_cast<long long>(value_) - min_) * room / steps);
}

void CSkinSliderCtrl::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(size());
  const long long steps = static_cast<long long>(max_) - min_ + 1;
  const double done = static_cast<double>(value_ - min_) / static_cast<double>(steps);
  const int split = static_cast<int>(width() * done);
  const QImage& left = images_[0];
  const QImage& right = images_[1];
  if (!left.isNull() && split > 0) {
    p.drawImage(QRectF(0, 0, split, height()), left, QRectF(0, 0, std::max(1.0, left.width() * done), left.height()));
  }
  if (!right.isNull() && split < width()) {
    const double from = right.width() * done;
    p.drawImage(QRectF(split, 0, width() - split, height()), right, QRectF(from, 0, right.width() - from, right.height()));
  }
  const QImage& thumb = images_[dragging_ ? 3 : 2];
  if (!thumb.isNull()) p.drawImage(QRect(ThumbLeft(), 0, thumb.width() + 2, thumb.height()), thumb);
  surface.Finish(this);
}

void CSkinSliderCtrl::Notify(std::uint32_t message) {
  if (notify_ != nullptr) notify_->Post(message, static_cast<std::uintptr_t>(id_), value_);
}

void CSkinSliderCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  value_ = ValueAt(static_cast<int>(event->position().x()));
  Notify(kSliderDragStart);
  update();
}

void CSkinSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const int v = ValueAt(static_cast<int>(event->position().x()));
  if (v != value_) {
    value_ = v;
    Notify(kSliderMoved);
    update();
  }
}

void CSkinSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  Notify(kSliderDragEnd);
  update();
}

}  // namespace viewer
