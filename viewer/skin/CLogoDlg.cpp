#include "viewer/skin/CLogoDlg.h"

#include <QPainter>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CResourceImage.h"

namespace viewer {

CLogoDlg::CLogoDlg(QWidget* parent, int which) : QWidget(parent), which_(which) {}

void CLogoDlg::SetLogo(int which) {
  which_ = which == 0 ? 0 : 1;
  update();
}

void CLogoDlg::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(size());
  const QImage& logo = CResourceImage::Get(kLogos[which_]);
  if (!logo.isNull()) p.drawImage(rect(), logo);
  surface.Finish(this);
}

}  // namespace viewer
