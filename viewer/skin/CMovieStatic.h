#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace viewer {

// The skin image of the cursor in zoom mode.
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

}  // namespace viewer
