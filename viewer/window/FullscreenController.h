#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace viewer {

class CQuorbexDlg;
class SubViewController;
class ZoomController;

// Fullscreen for the main video area: the window covers the whole screen
// that holds its top-left corner (the screen's geometry, task bars and all)
// with every control hidden; leaving puts the size mode's layout back and
// turns keep-aspect on again (written to the settings). Not entered within
// 10 frames of the end of a recording, where the end step would race it.
// The keep-aspect command (38200) flips stretching. Wraps the window's hooks.
class FullscreenController {
 public:
  FullscreenController(CQuorbexDlg& window, SubViewController& sub, ZoomController& zoom);
  FullscreenController(const FullscreenController&) = delete;
  FullscreenController& operator=(const FullscreenController&) = delete;

  bool fullscreen() const { return on_; }
  // False when refused (near the end, nothing loaded) or already on.
  bool Enter();
  void Leave();
  // What a double click on the main view does: in and out when the controls
  // are enabled, the list holds entries and a recording is loaded; only
  // out otherwise.
  void Toggle();
  // Flips keep-aspect for both players, re-applies the views, writes it.
  void FlipKeepAspect();

 private:
  bool OnCommand(int command);
  // Puts the main view over the whole window (after a swap as well).
  void CoverScreen();

  CQuorbexDlg& window_;
  SubViewController& sub_;
  ZoomController& zoom_;
  bool on_ = false;
  QPoint normal_top_left_;
  std::vector<QPointer<QWidget>> hidden_;  // shown again on leaving
};

}  // namespace viewer
