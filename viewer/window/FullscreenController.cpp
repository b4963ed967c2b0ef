#include "viewer/window/FullscreenController.h"

#include <QGuiApplication>
#include <QScreen>
#include <limits>
#include <utility>

#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/CommandGuard.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/skin/CLogoDlg.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "mapview/ui/CGSensorDlg.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/WindowHooks.h"
#include "viewer/window/SubViewController.h"
#include "viewer/window/ZoomController.h"

namespace viewer {
namespace {

// The screen that holds point, else the nearest one.
QScreen* ScreenOf(const QPoint& point) {
  if (QScreen* s = QGuiApplication::screenAt(point)) return s;
  QScreen* nearest = QGuiApplication::primaryScreen();
  long long best = std::numeric_limits<long long>::max();
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect g = s->geometry();
    const long long dx = point.x() < g.left() ? g.left() - point.x() : point.x() > g.right() ? point.x() - g.right() : 0;
    const long long dy = point.y() < g.top() ? g.top() - point.y() : point.y() > g.bottom() ? point.y() - g.bottom() : 0;
    if (dx * dx + dy * dy < best) {
      best = dx * dx + dy * dy;
      nearest = s;
    }
  }
  return nearest;
}

}  // namespace

FullscreenController::FullscreenController(CQuorbexDlg& window, SubViewController& sub, ZoomController& zoom)
    : window_(window), sub_(sub), zoom_(zoom) {
  ChainCommand(window_, [this](int command) { return OnCommand(command); });
  ChainAfter(sub_.after_swap, [this] {
    if (on_) CoverScreen();
  });
}

bool FullscreenController::OnCommand(int command) {
  if (command != kCommandKeepAspect) return false;
  FlipKeepAspect();
  return true;
}

void FullscreenController::Toggle() {
  const bool may = window_.bar_button(static_cast<int>(Control::kPlay))->isEnabled() &&
                   !window_.filer()->list()->rows().empty() && window_.loaded();
  if (on_) {
    Leave();
  } else if (may) {
    Enter();
  }
}

bool FullscreenController::Enter() {
  if (on_ || !window_.loaded()) return false;
  auto& views = window_.views();
  if (!FullscreenEntryAllowed(views.CurrentFrame(), views.FrameCount())) return false;
  on_ = true;
  normal_top_left_ = window_.pos();
  hidden_.clear();
  std::vector<QWidget*> controls{window_.graph(),           window_.position_slider(), window_.volume_slider(),
                                 window_.info_panel(),      window_.filer(),           window_.logo(),
                                 window_.progress_bar(),    window_.close_button(),    window_.size_button(),
                                 window_.minimise_button()};
  for (int i = 0; i < static_cast<int>(kBarButtons); ++i) controls.push_back(window_.bar_button(i));
  // The docked sub view has no place over the video.
  if (!sub_.floating()) controls.push_back(sub_.sub_window_view());
  for (QWidget* w : controls) {
    if (w->isVisible()) {
      hidden_.emplace_back(w);
      w->hide();
    }
  }
  const QRect screen = ScreenOf(window_.pos())->geometry();
  window_.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  window_.setFixedSize(screen.size());
  window_.move(screen.topLeft());
  window_.show();
  CoverScreen();
  window_.raise();
  window_.activateWindow();
  window_.ApplyViews();
  window_.update();
  return true;
}

void FullscreenController::CoverScreen() {
  CMovieStatic* view = sub_.main_window_view();
  zoom_.Resized(view->view_index(), window_.size());
  view->setGeometry(QRect(QPoint(0, 0), window_.size()));
  view->raise();
}

void FullscreenController::Leave() {
  if (!on_) return;
  on_ = false;
  // Back from stretching to the picture's own proportions.
  window_.SetKeepAspect(true);
  window_.setWindowFlag(Qt::WindowStaysOnTopHint, false);
  window_.setFixedSize(kWindowWidth, kWindowHeight);
  window_.move(normal_top_left_);
  window_.show();
  for (const QPointer<QWidget>& w : hidden_) {
    if (w) w->show();
  }
  hidden_.clear();
  window_.ApplySizeMode(window_.size_mode());
  const CMovieStatic* view = sub_.main_window_view();
  zoom_.Reset(view->view_index(), view->size());
  window_.ApplyViews();
  window_.SetPlayButton(window_.views().state() == player::MovieView::ViewState::kPlaying);
  window_.UpdateEnabledControls();
}

void FullscreenController::FlipKeepAspect() {
  window_.SetKeepAspect(!window_.keep_aspect());
  window_.ApplyViews();
}

}  // namespace viewer
