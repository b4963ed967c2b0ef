#include "viewer/window/WindowSyncViews.h"

#include <algorithm>

#include "viewer/skin/CSkinSliderCtrl.h"

namespace viewer {

void WindowSyncViews::ShowValues(const ShownValues& values) {
  if (show_values) show_values(values);
}

void WindowSyncViews::MoveSlider(int frame) { slider_.SetValue(frame); }

void WindowSyncViews::MoveCursor(int frame) {
  if (move_cursor) move_cursor(frame);
}

void WindowSyncViews::SetRange(int first, int count) {
  // The slider's range is inclusive; an empty recording still has frame 0.
  slider_.SetRange(first, std::max(first, first + count - 1));
  if (set_graph_range) set_graph_range(first, count);
}

void WindowSyncViews::GuardZoneChanged(bool entered) {
  if (guard_zone_changed) guard_zone_changed(entered);
}

void WindowSyncViews::ShowSpeedText(std::string_view text) {
  if (show_speed_text) show_speed_text(text);
}

}  // namespace viewer
