#pragma once

#include <memory>

namespace viewer {

class CQuorbexDlg;
class FilterCommands;
class FullscreenController;
class SubViewController;
class VideoInput;
class ZoomController;

// How the main window shows its two cameras: the zoom, the docked or
// floating sub camera and the display switch, fullscreen, and the mouse on
// the video windows, and the videos emptied when a list filter leaves no
// entry. Made once by the window, after its controls.
class ViewModes {
 public:
  explicit ViewModes(CQuorbexDlg& window);
  ~ViewModes();
  ViewModes(const ViewModes&) = delete;
  ViewModes& operator=(const ViewModes&) = delete;

  ZoomController& zoom() { return *zoom_; }
  SubViewController& sub_view() { return *sub_; }
  FullscreenController& fullscreen() { return *fullscreen_; }
  VideoInput& input() { return *input_; }

 private:
  std::unique_ptr<ZoomController> zoom_;
  std::unique_ptr<SubViewController> sub_;
  std::unique_ptr<FullscreenController> fullscreen_;
  std::unique_ptr<VideoInput> input_;
  std::unique_ptr<FilterCommands> filters_;
};

}  // namespace viewer
