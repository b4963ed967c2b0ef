#include "mapview/InfoPanelLayout.h"

namespace mapview {
namespace {

// Size mode 0.
InfoPanelLayout Normal(int width) {
  InfoPanelLayout l;
  l.layout = 0;
  l.icon_scale = 1.0;
  l.axis_buttons_visible = true;
  for (int n = 0; n < 3; ++n) {
    l.axis_titles[n] = {48 + 120 * n, 40, 150, 40};
    l.axis_values[n] = {48 + 120 * n, 62, 58, 20};
    l.axis_buttons[n] = {26 + 120 * n, 45, 12, 12};
  }
  // The sub view docks over the panel's right 98 pixels: the date and the
  // speed keep to its left, where they stay readable.
  const int right = width - 98;
  l.date_time = {right - 202, 7, 200, 19};
  l.mode_text = {274, 7, 160, 27};
  l.speed_value = {right - 100, 60, 65, 21};
  l.speed_unit = {right - 100, 64, 100, 21};
  l.event_icon = {8, 4, 48, 32};
  l.status_cell = {60, 4, 60, 32};
  l.gps_cell = {120, 4, 60, 32};
  return l;
}

// Size mode 1 docks a 138-pixel sub view over the right edge: everything
// stays left of it.
InfoPanelLayout Large(int width) {
  InfoPanelLayout l;
  l.layout = 1;
  l.icon_scale = 1.3;
  for (int n = 0; n < 3; ++n) {
    l.axis_titles[n] = {20 + 170 * n, 50, 150, 26};
    l.axis_values[n] = {20 + 170 * n, 78, 98, 32};
  }
  l.date_time = {width - 138 - 266, 9, 260, 25};
  l.mode_text = {250, 9, 200, 35};
  l.speed_value = {530, 74, 110, 32};
  l.speed_unit = {642, 82, 60, 24};
  l.event_icon = {8, 4, 62, 42};
  l.status_cell = {78, 4, 78, 42};
  l.gps_cell = {156, 4, 78, 42};
  return l;
}

// Two rows in the small size mode's bar row (32 pixels high): the date,
// mode and speed above, the three accelerations below.
InfoPanelLayout Compact(int) {
  InfoPanelLayout l;
  l.layout = 2;
  l.icon_scale = 0.4;
  l.event_icon = {4, 1, 20, 13};
  l.status_cell = {26, 0, 24, 15};
  l.gps_cell = {50, 0, 24, 15};
  l.date_time = {80, 0, 150, 15};
  l.mode_text = {236, 0, 110, 15};
  l.speed_value = {350, 0, 40, 15};
  l.speed_unit = {392, 0, 36, 15};
  for (int n = 0; n < 3; ++n) {
    l.axis_titles[n] = {4 + 190 * n, 16, 80, 15};
    l.axis_values[n] = {84 + 190 * n, 16, 70, 15};
  }
  return l;
}

}  // namespace

InfoPanelLayout InfoPanelLayoutFor(int layout, int width) {
  if (layout == 1) return Large(width);
  if (layout == 2) return Compact(width);
  return Normal(width);
}

}  // namespace mapview
