#pragma once

#include <array>

namespace mapview {

struct PanelRect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const PanelRect&, const PanelRect&) = default;
};

// The boxes of the info panel in one of its layouts: 0 normal (the main
// window's size mode 0), 1 large (size mode 1, icons at 1.3), 2 the compact
// two-row strip of size mode 2.
struct InfoPanelLayout {
  int layout = 0;
  double icon_scale = 1.0;
  bool axis_buttons_visible = false;
  std::array<PanelRect, 3> axis_titles{};
  std::array<PanelRect, 3> axis_values{};
  std::array<PanelRect, 3> axis_buttons{};
  PanelRect date_time;
  PanelRect mode_text;
  PanelRect speed_value;
  PanelRect speed_unit;
  PanelRect event_icon;  // the icon's top-left corner; drawn at its size x icon_scale
  PanelRect status_cell;  // icons centred in these cells
  PanelRect gps_cell;
};

// The boxes of a layout for a panel width wide (the date and time box keeps
// to the right edge). Layouts other than 1 and 2 are layout 0.
InfoPanelLayout InfoPanelLayoutFor(int layout, int width);

}  // namespace mapview
