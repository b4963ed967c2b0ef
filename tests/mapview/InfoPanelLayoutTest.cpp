#include "mapview/InfoPanelLayout.h"

#include <gtest/gtest.h>

#include <vector>

#include "viewer/commands/MainWindowLayout.h"

namespace mapview {
namespace {

bool Overlap(const PanelRect& a, const PanelRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

std::vector<PanelRect> Boxes(const InfoPanelLayout& l) {
  std::vector<PanelRect> boxes = {l.date_time, l.mode_text, l.speed_value, l.speed_unit, l.status_cell, l.gps_cell};
  boxes.insert(boxes.end(), l.axis_titles.begin(), l.axis_titles.end());
  boxes.insert(boxes.end(), l.axis_values.begin(), l.axis_values.end());
  return boxes;
}

// Every layout fits what the window's size mode leaves visible: inside the
// panel and left of the docked sub view. In our own layouts (large and
// compact) no box lies over another; the normal one keeps its overlapping
// titles, values and speed unit.
class OwnLayout : public ::testing::TestWithParam<int> {};

TEST_P(OwnLayout, FitsItsSizeMode) {
  const int mode = GetParam();
  const viewer::MainWindowLayout window = viewer::LayoutForSizeMode(mode);
  const int visible_width = window.info_panel.width - window.docked_sub_view.width;
  const InfoPanelLayout l = InfoPanelLayoutFor(mode, window.info_panel.width);
  const std::vector<PanelRect> boxes = Boxes(l);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const PanelRect& b = boxes[i];
    EXPECT_GE(b.left, 0) << "box " << i;
    EXPECT_GE(b.top, 0) << "box " << i;
    EXPECT_LE(b.left + b.width, visible_width) << "box " << i;
    EXPECT_LE(b.top + b.height, window.info_panel.height) << "box " << i;
    if (mode == 0) continue;
    for (std::size_t j = i + 1; j < boxes.size(); ++j) EXPECT_FALSE(Overlap(b, boxes[j])) << i << " over " << j;
  }
}

INSTANTIATE_TEST_SUITE_P(SizeModes, OwnLayout, ::testing::Values(0, 1, 2), [](const auto& info) {
  return info.param == 0 ? "Normal" : info.param == 1 ? "Large" : "CompactStrip";
});

}  // namespace
}  // namespace mapview
