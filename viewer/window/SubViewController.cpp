#include "viewer/window/SubViewController.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <utility>

#include "library/SourceWatcher.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/skin/CMovieDialog.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/WindowHooks.h"
#include "viewer/window/ZoomController.h"

namespace viewer {
namespace {

QRect ToQRect(const LayoutRect& r) { return QRect(r.left, r.top, r.width, r.height); }

}  // namespace

SubViewController::SubViewController(CQuorbexDlg& window, ZoomController& zoom) : window_(window), zoom_(zoom) {
  // A tool window: no task bar entry of its own, above the main window.
  window_.floating_window()->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  ChainCommand(window_, [this](int command) { return OnCommand(command); });
  ChainMessage(window_, [this](const platform::Message& m) { OnMessage(m); });
  ChainAfter(window_.on_layout_applied, [this] { Place(); });
  Place();
}

bool SubViewController::floating() const { return window_.floating_window()->isVisible(); }
CMovieStatic* SubViewController::main_window_view() const { return window_.movie_window(main_slot_); }
CMovieStatic* SubViewController::sub_window_view() const { return window_.movie_window(sub_slot()); }

bool SubViewController::OnCommand(int command) {
  if (command != CommandOf(Control::kDisplaySwitch)) return false;
  DisplaySwitch();
  return true;
}

void SubViewController::OnMessage(const platform::Message& m) {
  if (m.message == kMessageDockView) {
    Dock();
  } else if (m.message == kMessageKeepOnScreen) {
    KeepOnScreen();
  } else if (m.message == library::kMessageSourceLost && main_slot_ != 0) {
    // Nothing of the lost source is shown any more: the cameras go back to
    // their own places for the next recording.
    main_slot_ = 0;
    window_.floating_window()->ShowsMainCamera(false);
    Place();
    if (after_swap) after_swap();
    window_.ApplyViews();
  }
}

void SubViewController::Put(CMovieStatic* view, QWidget* parent, const QRect& where, bool visible) {
  if (view->parentWidget() != parent) view->setParent(parent);
  zoom_.Resized(view->view_index(), where.size());
  view->setGeometry(where);
  view->setVisible(visible && !where.isEmpty());
  view->raise();
}

void SubViewController::Place() {
  const MainWindowLayout l = LayoutForSizeMode(window_.size_mode());
  Put(main_window_view(), &window_, ToQRect(l.video), true);
  CMovieDialog* floating = window_.floating_window();
  if (floating->isVisible()) {
    Put(sub_window_view(), floating, ToQRect(kFloatingSubView), true);
  } else {
    Put(sub_window_view(), &window_, ToQRect(l.docked_sub_view), true);
  }
  window_.progress_bar()->raise();
}

void SubViewController::Float() {
  CMovieDialog* floating = window_.floating_window();
  if (!placed_once_) {
    floating->move(HomeOfFloatingWindow());
    placed_once_ = true;
  }
  floating->ShowsMainCamera(sub_slot() == 0);
  floating->show();
  Put(sub_window_view(), floating, ToQRect(kFloatingSubView), true);
  KeepOnScreen();
  window_.ApplyViews();
}

void SubViewController::Dock() {
  window_.floating_window()->hide();
  Place();
  window_.ApplyViews();
}

void SubViewController::DisplaySwitch() {
  if (!floating()) {
    Float();
    return;
  }
  Swap();
}

void SubViewController::Swap() {
  auto& views = window_.views();
  const bool playing = views.state() == player::MovieView::ViewState::kPlaying;
  if (playing) views.Pause();
  main_slot_ = sub_slot();
  window_.floating_window()->ShowsMainCamera(sub_slot() == 0);
  Place();
  if (after_swap) after_swap();
  window_.ApplyViews();
  const double rate = views.FrameRate();
  const bool short_recording = rate > 0 && views.FrameCount() * 1000.0 / rate < kShortRecordingMs;
  if (short_recording && window_.loaded()) {
    // A recording shorter than two seconds is opened again after a swap
    // and plays from its start, both cameras together in their new places.
    views.Stop();
    const int row = window_.filer()->current_row();
    if (row >= 0) {
      window_.filer()->set_reopen(true);
      window_.filer()->list()->on_row_selected(row);
    }
    return;
  }
  if (playing) views.Play();
}

QPoint SubViewController::HomeOfFloatingWindow() const {
  // Over the map's place, beside the video.
  const MainWindowLayout l = LayoutForSizeMode(0);
  const QPoint offset = l.map ? QPoint(l.map->left, l.map->top) : QPoint(0, 0);
  return window_.frameGeometry().topLeft() + offset;
}

void SubViewController::KeepOnScreen() {
  CMovieDialog* floating = window_.floating_window();
  // The desktop's work area is every screen's available area together: a
  // window across two screens side by side is still wholly on it.
  QRegion desktop;
  for (QScreen* screen : QGuiApplication::screens()) desktop += screen->availableGeometry();
  if (!QRegion(floating->frameGeometry()).subtracted(desktop).isEmpty()) floating->move(HomeOfFloatingWindow());
}

}  // namespace viewer
