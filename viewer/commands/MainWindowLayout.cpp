#include "viewer/commands/MainWindowLayout.h"

#include <iterator>

#include "viewer/settings/UiTextTable.h"

namespace viewer {
namespace {

constexpr int kVideoLeft = 6;
constexpr int kVideoTop = 24;
constexpr int kButtonSide = 32;
constexpr int kButtonPitch = 47;
constexpr int kSliderHeight = 10;
constexpr int kProgressHeight = 22;
constexpr int kSideWidthWide = 452;    // map and list beside the video
constexpr int kSideWidthNarrow = 240;  // the list alone beside the larger video

struct ModeRow {
  int video_width;
  int video_height;
  int button_offset;    // the bar's top above the client bottom
  int docked_width;     // of the sub view
  int tip;              // UI text of the size button's tip
};
constexpr ModeRow kModes[kSizeModes] = {
    {656, 369, 35, 98, 8},    // "中"
    {868, 489, 36, 138, 7},   // "大"
    {1108, 624, 35, 0, 18},   // "小"
};

// The bar buttons shown in the smallest mode, packed from the left.
constexpr Control kSmallBar[] = {Control::kFirst, Control::kPrevious, Control::kPlay,    Control::kSlow,
                                 Control::kFastForward, Control::kNext, Control::kZoom, Control::kDisplaySwitch};

int ValidMode(int size_mode) { return size_mode >= 0 && size_mode < kSizeModes ? size_mode : 0; }

LayoutRect FromEdges(int left, int top, int right, int bottom) { return {left, top, right - left, bottom - top}; }

}  // namespace

MainWindowLayout LayoutForSizeMode(int size_mode) {
  const int mode = ValidMode(size_mode);
  const ModeRow& row = kModes[mode];
  const bool small = mode == 2;
  MainWindowLayout l;
  l.client = {0, 0, kWindowWidth, kWindowHeight};
  const int bottom = l.client.bottom();
  const int right = l.client.right();
  l.video = {kVideoLeft, kVideoTop, row.video_width, row.video_height};
  l.video_centre = {row.video_width / 2, row.video_height / 2};
  l.position_slider = {l.video.left, l.video.bottom(), l.video.width, kSliderHeight};
  l.progress_bar = {l.video.left, l.video.bottom() - kProgressHeight, l.video.width, kProgressHeight};
  const int side = l.video.right();
  if (mode == 0) {
    l.info_panel = {l.video.left, l.video.bottom() + 10, l.video.width, 85};
    l.graph = FromEdges(l.video.left, l.video.bottom() + 95, l.video.right(), bottom - 40);
    l.map = LayoutRect{side, l.video.top, kSideWidthWide, 368};
    l.list = FromEdges(side, l.video.top + 368, side + kSideWidthWide, bottom - 40);
  } else if (!small) {
    l.info_panel = FromEdges(l.video.left, l.video.bottom() + 10, l.video.right(), bottom - 50);
    l.list = FromEdges(side, l.video.top, side + kSideWidthNarrow, bottom - 40);
  } else {
    // Between the small bar and the volume slider, in the bar's row: a
    // panel reaching up into the video's bottom edge, as first laid out,
    // would lie under the position slider and show nothing readable.
    const int bar_right = 20 + kButtonPitch * (static_cast<int>(std::size(kSmallBar)) - 1) + kButtonSide;
    const int top = bottom - row.button_offset;
    l.info_panel = FromEdges(bar_right + 19, top, right - 130, top + kButtonSide);
  }
  l.docked_sub_view = {l.info_panel.right() - row.docked_width, l.info_panel.top, row.docked_width,
                       l.info_panel.height};

  const int button_top = bottom - row.button_offset;
  if (small) {
    for (std::size_t k = 0; k < std::size(kSmallBar); ++k) {
      l.buttons[static_cast<std::size_t>(kSmallBar[k])] =
          LayoutRect{20 + kButtonPitch * static_cast<int>(k), button_top, kButtonSide, kButtonSide};
    }
  } else {
    for (std::size_t i = 0; i < kBarButtons; ++i) {
      // A 30-pixel gap between the zoom button and the source button.
      const int x = (i < 9 ? 20 : 50) + kButtonPitch * static_cast<int>(i);
      l.buttons[i] = LayoutRect{x, button_top, kButtonSide, kButtonSide};
    }
  }
  l.close = {right - 56, 0, 46, 18};
  l.size = {right - 82, 0, 26, 18};
  l.minimise = {right - 108, 0, 26, 18};
  l.volume_slider = {right - 120, bottom - 30, 100, 20};
  return l;
}

int NextSizeMode(int size_mode) { return (size_mode + 1) % kSizeModes; }

std::string_view SizeButtonTip(int size_mode) { return UiText(kModes[ValidMode(size_mode)].tip); }

}  // namespace viewer
