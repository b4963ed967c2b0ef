#include "viewer/skin/CMovieStatic.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CResourceImage.h"

namespace viewer {

CMovieStatic::CMovieStatic(QWidget* parent, int view_index) : QWidget(parent), view_index_(view_index) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMovieStatic::SetZoomMode(bool on) {
  const QImage& cursor = CResourceImage::Get(kZoomCursor);
  if (on && !cursor.isNull()) {
    setCursor(QCursor(QPixmap::fromImage(cursor), 12, 12));
  } else {
    unsetCursor();
  }
}

void CMovieStatic::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(size());
  p.fillRect(rect(), Qt::black);
  if (source_) {
    const QImage picture = source_(size());
    if (!picture.isNull()) p.drawImage(0, 0, picture);
  }
  surface.Finish(this);
}

void CMovieStatic::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && on_click) on_click(view_index_, event->position().toPoint());
}

void CMovieStatic::mouseDoubleClickEvent(QMouseEvent* event) {
  if (on_double_click) on_double_click(view_index_, event->position().toPoint());
}

void CMovieStatic::contextMenuEvent(QContextMenuEvent* event) {
  if (on_context_menu) on_context_menu(view_index_, event->globalPos());
}

}  // namespace viewer
