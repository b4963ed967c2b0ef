#pragma once

#include <QMenu>

namespace viewer {

// The video windows' popup menu: items 20 pixels high and 70 wide (220 in
// fullscreen), drawn by the program: highlighted items white on blue,
// disabled ones grey, the text 20 pixels in.
class CMovieMenu : public QMenu {
 public:
  explicit CMovieMenu(QWidget* parent, bool fullscreen = false);
  int item_width() const { return width_; }
  static constexpr int kItemHeight = 20;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int width_;
};

}  // namespace viewer
