#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>

#include "platform/MessageSink.h"

namespace viewer {

class CQuorbexDlg;
class CMovieStatic;
class ZoomController;

// Which camera the main video area shows and where the other one goes:
// docked at the right edge of the info panel's area, or floating in the
// frameless sub-camera window (moved by its title band, kept on screen).
// The display switch (38013) floats the sub camera first and swaps the
// cameras on later presses. Each video window keeps showing its own player
// slot; the windows change places. Wraps the window's hooks.
class SubViewController {
 public:
  // A recording shorter than this is reopened after a swap.
  static constexpr int kShortRecordingMs = 2000;

  SubViewController(CQuorbexDlg& window, ZoomController& zoom);
  SubViewController(const SubViewController&) = delete;
  SubViewController& operator=(const SubViewController&) = delete;

  // The player slot shown in the main video area (0 front camera, 1 rear).
  int main_slot() const { return main_slot_; }
  int sub_slot() const { return 1 - main_slot_; }
  bool floating() const;
  CMovieStatic* main_window_view() const;
  CMovieStatic* sub_window_view() const;

  // Puts the sub camera into the floating window and shows it.
  void Float();
  // Puts it back at the right edge of the info panel, hides the floating window.
  void Dock();
  // 38013: float when docked, swap the cameras when floating.
  void DisplaySwitch();
  // Moves the floating window back beside the main window when part of it
  // lies outside the desktop's work area.
  void KeepOnScreen();
  // Both video windows where the size mode puts them (after a size change,
  // a swap, or leaving fullscreen).
  void Place();

  // Runs after a swap has placed the windows (fullscreen puts the main view
  // over the whole screen again).
  std::function<void()> after_swap;

 private:
  bool OnCommand(int command);
  void OnMessage(const platform::Message& m);
  void Swap();
  // Sets view's parent and rectangle, rescaling its zoom to the new size.
  void Put(CMovieStatic* view, QWidget* parent, const QRect& where, bool visible);
  QPoint HomeOfFloatingWindow() const;

  CQuorbexDlg& window_;
  ZoomController& zoom_;
  int main_slot_ = 0;
  bool placed_once_ = false;  // the floating window has a place of its own
};

}  // namespace viewer
