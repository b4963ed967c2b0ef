#include "viewer/skin/CMovieStatic.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/CResourceImage.h"
#include "viewer/settings/UiTextTable.h"

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

CMovieDialog::CMovieDialog(QWidget* parent, platform::MessageSink* main_window)
    : CSkinDialog(parent), main_window_(main_window) {
  ShowsMainCamera(false);
}

void CMovieDialog::ShowsMainCamera(bool main) {
  const auto text = UiText(main ? 151 : 152);
  setWindowTitle(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

void CMovieDialog::resizeEvent(QResizeEvent* event) {
  CSkinDialog::resizeEvent(event);
  if (main_window_ != nullptr) main_window_->Post(kMessageReapplyView, 0, 0);
}

void CMovieDialog::moveEvent(QMoveEvent* event) {
  CSkinDialog::moveEvent(event);
  if (main_window_ != nullptr && isVisible()) main_window_->Post(kMessageKeepOnScreen, 0, 0);
}

void CMovieDialog::reject() {
  // Closing the floating window puts the view back into the main window.
  if (main_window_ != nullptr) main_window_->Post(kMessageDockView, 0, 0);
  CSkinDialog::reject();
}

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
