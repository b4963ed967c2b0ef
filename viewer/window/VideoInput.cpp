#include "viewer/window/VideoInput.h"

#include <QApplication>
#include <QStyleHints>
#include <utility>

#include "library/ui/CFilerContainerDlg.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/CommandGuard.h"
#include "viewer/commands/ContextMenu.h"
#include "viewer/skin/CMovieMenu.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/WindowHooks.h"
#include "viewer/window/FullscreenController.h"
#include "viewer/window/SubViewController.h"
#include "viewer/window/ZoomController.h"

namespace viewer {

VideoInput::VideoInput(CQuorbexDlg& window, ZoomController& zoom, SubViewController& sub,
                       FullscreenController& fullscreen)
    : window_(window), zoom_(zoom), sub_(sub), fullscreen_(fullscreen) {
  clock_ = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  click_timer_.setSingleShot(true);
  click_timer_.setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
  QObject::connect(&click_timer_, &QTimer::timeout, [this] { ClickTimedOut(); });
  for (int slot = 0; slot < 2; ++slot) {
    CMovieStatic* view = window_.movie_window(slot);
    view->on_click = [this](int v, QPoint at) { Click(v, at); };
    view->on_double_click = [this](int v, QPoint at) { DoubleClick(v, at); };
    view->on_context_menu = [this](int, QPoint global) {
      const auto packed = static_cast<std::uintptr_t>(static_cast<std::uint32_t>(global.x())) |
                          (static_cast<std::uintptr_t>(static_cast<std::uint32_t>(global.y())) << 32);
      window_.sink().Post(kMessageContextMenu, packed, 0);
    };
  }
  ChainMessage(window_, [this](const platform::Message& m) { OnMessage(m); });
  window_.on_shutdown = [this, next = std::move(window_.on_shutdown)] {
    click_timer_.stop();
    if (menu_) menu_->close();
    if (next) next();
  };
}

void VideoInput::OnMessage(const platform::Message& m) {
  if (m.message == player::WM_PLAYER_READY) {
    // Another recording is on screen: a menu built for the last one goes.
    if (menu_) menu_->close();
    return;
  }
  if (m.message != kMessageContextMenu) return;
  const auto x = static_cast<std::int32_t>(static_cast<std::uint32_t>(m.wparam & 0xFFFFFFFFu));
  const auto y = static_cast<std::int32_t>(static_cast<std::uint32_t>((m.wparam >> 32) & 0xFFFFFFFFu));
  ShowMenu(QPoint(x, y));
}

void VideoInput::Click(int slot, QPoint at) {
  if (!filter_.Press(clock_())) return;
  click_slot_ = slot;
  click_at_ = at;
  click_timer_.start();
}

void VideoInput::ClickTimedOut() {
  if (!zoom_.zoom_mode()) return;
  window_.sink().Post(kMessageZoomClick, static_cast<std::uintptr_t>(click_slot_),
                      static_cast<std::intptr_t>(PackPoint(click_at_.x(), click_at_.y())));
}

void VideoInput::DoubleClick(int slot, QPoint) {
  click_timer_.stop();
  filter_.DoubleClick(clock_());
  if (slot == sub_.main_slot()) {
    if (!zoom_.zoom_mode()) fullscreen_.Toggle();
  } else if (!sub_.floating()) {
    sub_.Float();
  }
}

void VideoInput::ShowMenu(QPoint global) {
  if (menu_) menu_->close();
  const ControlInputs state = window_.CurrentControlInputs();
  auto& views = window_.views();
  MenuInputs in;
  in.state = state.state;
  in.speed_level = state.speed_level;
  in.speed_debounce = state.speed_debounce;
  in.fullscreen = fullscreen_.fullscreen();
  in.keep_aspect = window_.keep_aspect();
  in.size_mode = state.size_mode;
  in.busy = false;  // no file operation runs inside the window yet
  in.guard_allows = CommandGuardAllows(state.loaded, state.state, views.CurrentFrame(), views.FrameCount(),
                                       state.speed_level);
  const std::vector<MenuItem> items = ContextMenuItems(in);
  if (items.empty()) return;
  auto* menu = new CMovieMenu(&window_, in.fullscreen);
  QObject::connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
  for (const MenuItem& item : items) {
    if (item.command == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(UiQText(item.text));
    action->setEnabled(!item.greyed);
    const int command = item.command;
    // Run after the menu has closed, as a command of the bar would.
    QObject::connect(action, &QAction::triggered, &window_, [this, command] {
      QMetaObject::invokeMethod(&window_, [this, command] { window_.OnCommand(command); }, Qt::QueuedConnection);
    });
  }
  menu_ = menu;
  menu->popup(global);
}

}  // namespace viewer
