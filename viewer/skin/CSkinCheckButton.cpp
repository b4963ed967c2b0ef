#include "viewer/skin/CSkinCheckButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace viewer {
namespace {

// Where a check button draws its box; hover applies only over it.
const QRect kCheckBox(0, 4, 12, 12);

}  // namespace

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
