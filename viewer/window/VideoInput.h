#pragma once

#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/MessageSink.h"
#include "viewer/commands/ClickFilter.h"
#include "viewer/skin/CMovieMenu.h"

namespace viewer {

class CQuorbexDlg;
class FullscreenController;
class SubViewController;
class ZoomController;

// Message of a video window's right click: wParam the point on the screen,
// x in the low 32 bits and y in the high 32.
inline constexpr std::uint32_t kMessageContextMenu = 0x825C;

// The mouse on the video windows: a single click becomes a zoom click once
// the double-click time has passed without a second click (and only in zoom
// mode); a double click on the main view enters or leaves fullscreen (not in
// zoom mode), one on the docked sub view floats it; presses within 500 ms of
// a double click are ignored. A right click opens the popup menu for the
// state; its items run as the window's commands. Wraps the window's hooks.
class VideoInput {
 public:
  using Clock = std::function<std::int64_t()>;  // milliseconds, steady

  VideoInput(CQuorbexDlg& window, ZoomController& zoom, SubViewController& sub, FullscreenController& fullscreen);
  VideoInput(const VideoInput&) = delete;
  VideoInput& operator=(const VideoInput&) = delete;

  // For tests: the clock the 500 ms block is measured with, and the time a
  // click waits for a second one (the desktop's double-click time).
  void set_clock(Clock clock) { clock_ = std::move(clock); }
  void set_click_delay(std::chrono::milliseconds delay) { click_timer_.setInterval(delay); }
  bool click_pending() const { return click_timer_.isActive(); }

  void Click(int slot, QPoint at);
  void DoubleClick(int slot, QPoint at);
  // Shows the popup menu at a screen point (when the state offers one).
  void ShowMenu(QPoint global);
  // The menu shown last, while it is open.
  CMovieMenu* menu() const { return menu_; }

 private:
  void OnMessage(const platform::Message& m);
  void ClickTimedOut();

  CQuorbexDlg& window_;
  ZoomController& zoom_;
  SubViewController& sub_;
  FullscreenController& fullscreen_;
  ClickFilter filter_;
  Clock clock_;
  QTimer click_timer_;
  int click_slot_ = 0;
  QPoint click_at_;
  QPointer<CMovieMenu> menu_;
};

}  // namespace viewer
