#pragma once

#include <cstdint>

#include "platform/MessageSink.h"
#include "viewer/skin/CSkinDialog.h"

namespace viewer {

// Messages of the floating video window to the main window.
inline constexpr std::uint32_t kMessageReapplyView = 0x8579;
inline constexpr std::uint32_t kMessageDockView = 0x857a;
inline constexpr std::uint32_t kMessageKeepOnScreen = 0x857b;

// The floating sub-camera window: its caption names the camera it shows;
// it asks the main window to re-apply the view after a resize, to dock the
// view when it is closed and to keep it on screen after a move.
class CMovieDialog : public CSkinDialog {
 public:
  CMovieDialog(QWidget* parent, platform::MessageSink* main_window);
  void ShowsMainCamera(bool main);

 protected:
  void resizeEvent(QResizeEvent*) override;
  void moveEvent(QMoveEvent*) override;
  void reject() override;

 private:
  platform::MessageSink* const main_window_;
};

}  // namespace viewer
