#pragma once

#include <QSize>
#include <array>
#include <cstdint>

#include "platform/MessageSink.h"
#include "viewer/commands/ZoomView.h"

namespace viewer {

class CQuorbexDlg;

// Message of a video window's zoom click: wParam the view (the player slot
// it shows), lParam the point, x in the low 16 bits and y in the next 16.
inline constexpr std::uint32_t kMessageZoomClick = 0x825F;
std::int64_t PackPoint(int x, int y);
int PointX(std::int64_t packed);
int PointY(std::int64_t packed);

// The digital zoom of both video windows: command 38008 turns zoom mode on
// or off for both at once (the zoom button drawn pressed, the zoom cursor,
// the recording list's tree, list and filter toggles hidden); in zoom mode a
// click zooms the clicked window a step (2x, 3x, back to 1x) keeping the
// point under the cursor. The zoom of each window is sent to its player
// whenever the window applies its views. Wraps the window's hooks.
class ZoomController {
 public:
  explicit ZoomController(CQuorbexDlg& window);
  ZoomController(const ZoomController&) = delete;
  ZoomController& operator=(const ZoomController&) = delete;

  bool zoom_mode() const { return on_; }
  void SetZoomMode(bool on);
  // Leaves zoom mode (if on) and shows the whole picture again: for a new
  // source, a failed open, the end of automatic continuation.
  void ZoomOff() { SetZoomMode(false); }
  // A zoom click in the window of slot at point (its pixels).
  void Click(int slot, QSize window, LayoutPoint point);
  // The window of slot now has size to (docked, floating, fullscreen, size
  // mode): the zoom follows from the size it had.
  void Resized(int slot, QSize to);
  // Unzoomed, centred in a window of that size.
  void Reset(int slot, QSize window);
  const ZoomView& view(int slot) const { return zoom_[static_cast<std::size_t>(slot)]; }
  // Sends both windows' zoom to the players.
  void Apply();

 private:
  bool OnCommand(int command);
  void OnMessage(const platform::Message& m);
  // Where the picture lies in a window of that size of slot: all of it
  // when stretched, the fitted rectangle when keeping the aspect ratio.
  LayoutRect PictureIn(int slot, QSize window);

  CQuorbexDlg& window_;
  bool on_ = false;
  std::array<ZoomView, 2> zoom_;
  std::array<QSize, 2> sizes_;  // of each slot's window, as last told
};

}  // namespace viewer
