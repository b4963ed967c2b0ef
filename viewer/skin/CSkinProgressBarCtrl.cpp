#include "viewer/skin/CSkinProgressBarCtrl.h"

#include <QPainter>
#include <algorithm>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/ColorRef.h"
#include "viewer/skin/UiFonts.h"

namespace viewer {

CSkinProgressBarCtrl::CSkinProgressBarCtrl(QWidget* parent) : QWidget(parent) {
  setFixedHeight(22);
  // Its own font, not the parent's: the bar also sits in windows that are not skinned.
  setFont(UiFonts::Shared().font(UiFontSize::k10));
}

void CSkinProgressBarCtrl::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  update();
}

void CSkinProgressBarCtrl::SetPos(int position) {
  position_ = position;
  update();
}

int CSkinProgressBarCtrl::DoneWidth() const {
  const long long range = static_cast<long long>(max_) - min_;
  if (range <= 0) return 0;  // an empty range shows nothing done
  const long long done = static_cast<long long>(width()) * position_ / range;
  return static_cast<int>(std::clamp<long long>(done, 0, width()));
}

int CSkinProgressBarCtrl::Percent() const { return max_ - min_ <= 0 ? 0 : position_; }

void CSkinProgressBarCtrl::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(size());
  const QColor blue = ColorFromRef(0xFF0000), white = ColorFromRef(0xFFFFFF);
  const int done = DoneWidth();
  p.fillRect(QRect(0, 0, done, height()), blue);
  p.fillRect(QRect(done, 0, width() - done, height()), white);
  const QRect box((width() - 100) / 2, 0, 100, height());
  const QString text = QString("%1 %").arg(Percent());
  p.setFont(font());
  p.setClipRect(QRect(0, 0, done, height()));
  p.setPen(white);
  p.drawText(box, Qt::AlignCenter, text);
  p.setClipRect(QRect(done, 0, width() - done, height()));
  p.setPen(blue);
  p.drawText(box, Qt::AlignCenter, text);
  surface.Finish(this);
}

}  // namespace viewer
