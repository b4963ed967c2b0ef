#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "viewer/commands/Controls.h"
#include "viewer/commands/LayoutRect.h"

namespace viewer {

inline constexpr int kWindowWidth = 1120;
inline constexpr int kWindowHeight = 697;
inline constexpr int kSizeModes = 3;

// The floating sub-camera window and the sub view's video window inside it.
inline constexpr LayoutRect kFloatingWindow{0, 0, 452, 274};
inline constexpr LayoutRect kFloatingSubView{1, 20, 450, 253};
// The unzoomed centre of the sub view.
inline constexpr LayoutPoint kSubViewCentre{226, 127};

// Where everything of the main window sits in one size mode. A control
// without a rectangle is hidden in that mode.
struct MainWindowLayout {
  LayoutRect client;
  LayoutRect video;  // the main view's video window
  LayoutPoint video_centre;  // the unzoomed centre of the main view
  LayoutRect position_slider;
  LayoutRect info_panel;
  // The sub view docked at the right edge of the info panel (zero width in
  // the smallest mode, where it has no room).
  LayoutRect docked_sub_view;
  LayoutRect progress_bar;  // the bottom of the video area
  std::optional<LayoutRect> graph;
  std::optional<LayoutRect> map;  // also the logo window shown in its place
  std::optional<LayoutRect> list;
  std::array<std::optional<LayoutRect>, kBarButtons> buttons;
  LayoutRect close;
  LayoutRect size;
  LayoutRect minimise;
  LayoutRect volume_slider;
};

// The layout of size mode 0, 1 or 2 (any other mode is taken as 0).
MainWindowLayout LayoutForSizeMode(int size_mode);

// The size button cycles 0 -> 1 -> 2 -> 0; its tip names the size it
// switches to.
int NextSizeMode(int size_mode);
std::string_view SizeButtonTip(int size_mode);

}  // namespace viewer
