#pragma once

namespace viewer {

class CQuorbexDlg;
class ZoomController;

// The list filter commands (38700..38705) after the window has toggled the
// filter: when the list has no entry left, the recording that was playing
// is no longer one the user can see, so playback stops, the data and the
// players are closed and both videos show nothing, unzoomed. Wraps the
// window's command hook.
class FilterCommands {
 public:
  FilterCommands(CQuorbexDlg& window, ZoomController& zoom);
  FilterCommands(const FilterCommands&) = delete;
  FilterCommands& operator=(const FilterCommands&) = delete;

 private:
  bool OnCommand(int command);

  CQuorbexDlg& window_;
  ZoomController& zoom_;
};

}  // namespace viewer
