#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/MessageSink.h"
#include "viewer/skin/CSkinDialog.h"

namespace viewer {

// Messages of the video windows to the main window.
inline constexpr std::uint32_t kMessageReapplyView = 0x8579;
inline constexpr std::uint32_t kMessageDockView = 0x857a;
inline constexpr std::uint32_t kMessageKeepOnScreen = 0x857b;
inline constexpr int kZoomCursor = 191;

// A video window: shows its view's picture, black when nothing is presented,
// and hands clicks, double clicks and context-menu requests to the main
// window; the zoom cursor in zoom mode.
class CMovieStatic : public QWidget {
 public:
  // picture gives the view's picture at a size (empty: nothing presented).
  using PictureSource = std::function<QImage(const QSize&)>;
  CMovieStatic(QWidget* parent, int view_index);
  void set_picture_source(PictureSource source) { source_ = std::move(source); }
  void SetZoomMode(bool on);
  int view_index() const { return view_index_; }

  std::function<void(int view, QPoint at)> on_click;
  std::function<void(int view, QPoint at)> on_double_click;
  std::function<void(int view, QPoint global)> on_context_menu;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;

 private:
  const int view_index_;
  PictureSource source_;
};

// The floating sub-camera window: its caption names the camera it shows;
// it asks the main window to re-apply the view after a resize, to dock the
// view when it is closed and to keep it on screen after a move.
class CMovieDialog : public CSkinDialog {
 public:
  CMovieDialog(QWidget* parent, platform::MessageSink* main_window);
  void ShowsMainCamera(bool main);

 protected:
  void resizeEvent(QResizeEvent*) override;
  void moveEvent(QMoveEvent*) override;
  void reject() override;

 private:
  platform::MessageSink* const main_window_;
};

// Where the map would be when there is none: a logo, stretched.
class CLogoDlg : public QWidget {
 public:
  static constexpr int kLogos[2] = {400, 401};
  CLogoDlg(QWidget* parent, int which = 0);
  void SetLogo(int which);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int which_ = 0;
};

}  // namespace viewer
