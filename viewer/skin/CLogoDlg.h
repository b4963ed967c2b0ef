#pragma once

#include <QWidget>

namespace viewer {

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
