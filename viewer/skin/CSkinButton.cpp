#include "viewer/skin/CSkinButton.h"

#include <QEnterEvent>
#include <QPainter>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CResourceImage.h"

namespace viewer {
CSkinButton::CSkinButton(QWidget* parent, const QSize& size, int image_number, const QString& tooltip)
    : QAbstractButton(parent) {
  // The size is where the owner starts; its geometry may change it (the
  // option buttons of a dialog are wider than their text). Layouts keep it.
  resize(size);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setMouseTracking(true);
  if (!tooltip.isEmpty()) setToolTip(tooltip);
  SetImage(image_number);
}

void CSkinButton::SetImage(int image_number) {
  image_number_ = image_number;
  strip_ = CResourceImage::Keyed(image_number);
  update();
}

CSkinButton::Frame CSkinButton::CurrentFrame() const {
  if (!isEnabled()) return kDisabled;
  if (isDown() || isChecked() || forced_pressed_) return kPressed;
  if (hovered_) return kHover;
  return kNormal;
}

void CSkinButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void CSkinButton::DrawFrame(QPainter& painter, Frame frame) {
  if (strip_.isNull()) return;  // no image: the button stays undrawn
  const int w = width();
  painter.drawImage(QRect(0, 0, w, height()), strip_, QRect(frame * w, 0, w, strip_.height()));
}

void CSkinButton::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& painter = surface.Begin(size());
  DrawFrame(painter, CurrentFrame());
  surface.Finish(this);
}

}  // namespace viewer
