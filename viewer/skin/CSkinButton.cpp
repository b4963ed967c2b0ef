#include "viewer/skin/CSkinButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CResourceImage.h"

namespace viewer {
namespace {

// Where a check button draws its box; hover applies only over it.
const QRect kCheckBox(0, 4, 12, 12);

}  // namespace

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

CSkinCheckButton::CSkinCheckButton(QWidget* parent, const QString& text, int image_number)
    : CSkinButton(parent, QSize(16 + parent->fontMetrics().horizontalAdvance(text) + 4, 20), image_number) {
  setText(text);
  setCheckable(true);
}

void CSkinCheckButton::mouseMoveEvent(QMouseEvent* event) {
  const bool over_box = kCheckBox.contains(event->position().toPoint());
  if (over_box != hovered_) {
    hovered_ = over_box;
    update();
  }
  CSkinButton::mouseMoveEvent(event);
}

void CSkinCheckButton::enterEvent(QEnterEvent* event) {
  hovered_ = kCheckBox.contains(event->position().toPoint());
  update();
  QAbstractButton::enterEvent(event);
}

bool CSkinCheckButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void CSkinCheckButton::DrawFrame(QPainter& painter, Frame frame) {
  if (!strip_.isNull()) painter.drawImage(kCheckBox.topLeft(), strip_, QRect(frame * 12, 0, 12, 12));
  painter.setFont(font());
  painter.setPen(isEnabled() ? palette().color(QPalette::WindowText) : QColor(0x7F, 0x7F, 0x7F));
  painter.drawText(QRect(16, 0, width() - 16, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

}  // namespace viewer
