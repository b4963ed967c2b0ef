#pragma once

#include <functional>
#include <string_view>

#include "viewer/commands/SyncViews.h"

namespace viewer {

class CSkinSliderCtrl;

// The main window's views as the position synchronisation moves them. The
// position slider is the window's own; the graph and the info panel take
// their part through the forwards below, which do nothing until the window
// sets them (when those views exist).
class WindowSyncViews : public SyncViews {
 public:
  explicit WindowSyncViews(CSkinSliderCtrl& slider) : slider_(slider) {}

  // The info panel: the values of the frame shown, and the speed text
  // (empty at normal speed).
  std::function<void(const ShownValues&)> show_values;
  std::function<void(std::string_view)> show_speed_text;
  // The graph: its cursor and the sample range [first, first + count).
  std::function<void(int frame)> move_cursor;
  std::function<void(int first, int count)> set_graph_range;
  // Playback entered (true) or left the zone near the end in which
  // commands are refused (the playback controller holds the bar then).
  std::function<void(bool entered)> guard_zone_changed;

  void ShowValues(const ShownValues& values) override;
  void MoveSlider(int frame) override;
  void MoveCursor(int frame) override;
  void SetRange(int first, int count) override;
  void GuardZoneChanged(bool entered) override;
  void ShowSpeedText(std::string_view text);

 private:
  CSkinSliderCtrl& slider_;
};

}  // namespace viewer
