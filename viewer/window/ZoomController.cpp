#include "viewer/window/ZoomController.h"

#include <utility>

#include "library/ui/CFilerContainerDlg.h"
#include "player/CPlayer.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/CommandGuard.h"
#include "viewer/commands/Controls.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/WindowHooks.h"

namespace viewer {

std::int64_t PackPoint(int x, int y) {
  return static_cast<std::int64_t>(static_cast<std::uint16_t>(x)) |
         (static_cast<std::int64_t>(static_cast<std::uint16_t>(y)) << 16);
}
int PointX(std::int64_t packed) { return static_cast<std::int16_t>(packed & 0xFFFF); }
int PointY(std::int64_t packed) { return static_cast<std::int16_t>((packed >> 16) & 0xFFFF); }

ZoomController::ZoomController(CQuorbexDlg& window) : window_(window) {
  for (int slot = 0; slot < 2; ++slot) Reset(slot, window_.movie_window(slot)->size());
  ChainCommand(window_, [this](int command) { return OnCommand(command); });
  ChainMessage(window_, [this](const platform::Message& m) { OnMessage(m); });
  ChainAfter(window_.on_views_applied, [this] { Apply(); });
}

bool ZoomController::OnCommand(int command) {
  if (command != CommandOf(Control::kZoom)) return false;
  auto& views = window_.views();
  const auto state = static_cast<PlayState>(views.state());
  const int level = state == PlayState::kPlaying ? views.rate_code() : 1;
  if (!CommandGuardAllows(window_.loaded(), state, views.CurrentFrame(), views.FrameCount(), level)) return true;
  SetZoomMode(!on_);
  return true;
}

void ZoomController::OnMessage(const platform::Message& m) {
  if (m.message == kMessageZoomClick) {
    const int slot = static_cast<int>(m.wparam);
    if (slot < 0 || slot > 1) return;
    Click(slot, window_.movie_window(slot)->size(), {PointX(m.lparam), PointY(m.lparam)});
  } else if (m.message == player::WM_PLAYER_READY) {
    // A new recording's players start unzoomed: give them the windows' zoom.
    Apply();
  }
}

void ZoomController::SetZoomMode(bool on) {
  const bool was = on_;
  on_ = on;
  for (int slot = 0; slot < 2; ++slot) {
    window_.movie_window(slot)->SetZoomMode(on);
    if (!on) Reset(slot, window_.movie_window(slot)->size());
  }
  window_.bar_button(static_cast<int>(Control::kZoom))->set_forced_pressed(on);
  // The tree, the list and the filter toggles give the user nothing to do
  // while zooming; they come back when it ends.
  window_.filer()->set_collapsed(on);
  window_.info_panel()->update();
  if (was || on) Apply();
}

void ZoomController::Click(int slot, QSize window, LayoutPoint point) {
  if (!on_) return;
  zoom_[static_cast<std::size_t>(slot)].Click(point, PictureIn(slot, window));
  Apply();
}

void ZoomController::Resized(int slot, QSize to) {
  QSize& from = sizes_[static_cast<std::size_t>(slot)];
  if (from == to) return;
  zoom_[static_cast<std::size_t>(slot)].Rescale(from.width(), from.height(), to.width(), to.height());
  from = to;
}

void ZoomController::Reset(int slot, QSize window) {
  sizes_[static_cast<std::size_t>(slot)] = window;
  zoom_[static_cast<std::size_t>(slot)].Reset(window.width(), window.height());
}

void ZoomController::Apply() {
  for (int slot = 0; slot < 2; ++slot) {
    const ZoomView& z = zoom_[static_cast<std::size_t>(slot)];
    window_.views().SetViewRectangle(slot, z.factor(), z.x(), z.y());
  }
}

LayoutRect ZoomController::PictureIn(int slot, QSize window) {
  const LayoutRect all{0, 0, window.width(), window.height()};
  player::CPlayer* player = window_.views().view(slot).player();
  if (!window_.keep_aspect() || player == nullptr || player->native_size().isEmpty()) return all;
  const QSize fitted = player->native_size().scaled(window, Qt::KeepAspectRatio);
  return {(window.width() - fitted.width()) / 2, (window.height() - fitted.height()) / 2, fitted.width(),
          fitted.height()};
}

}  // namespace viewer
