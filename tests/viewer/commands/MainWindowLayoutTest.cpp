#include "viewer/commands/MainWindowLayout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace viewer {

// Found by argument lookup, so it must live beside LayoutRect.
std::ostream& operator<<(std::ostream& out, const LayoutRect& r) {
  return out << '(' << r.left << ", " << r.top << ") " << r.width << " x " << r.height;
}

namespace {

LayoutRect Button(const MainWindowLayout& l, Control c) {
  const auto& b = l.buttons[static_cast<std::size_t>(c)];
  return b ? *b : LayoutRect{-1, -1, -1, -1};
}

TEST(MainWindowLayout, SizeModeZero) {
  const MainWindowLayout l = LayoutForSizeMode(0);
  EXPECT_EQ(l.client, (LayoutRect{0, 0, 1120, 697}));
  EXPECT_EQ(l.video, (LayoutRect{6, 24, 656, 369}));
  EXPECT_EQ(l.video_centre, (LayoutPoint{328, 184}));
  EXPECT_EQ(l.position_slider, (LayoutRect{6, 393, 656, 10}));
  EXPECT_EQ(l.info_panel, (LayoutRect{6, 403, 656, 85}));
  ASSERT_TRUE(l.graph && l.map && l.list);
  EXPECT_EQ(*l.graph, (LayoutRect{6, 488, 656, 169}));
  EXPECT_EQ(*l.map, (LayoutRect{662, 24, 452, 368}));
  EXPECT_EQ(*l.list, (LayoutRect{662, 392, 452, 265}));
  EXPECT_EQ(l.docked_sub_view, (LayoutRect{564, 403, 98, 85}));
  EXPECT_EQ(l.progress_bar, (LayoutRect{6, 371, 656, 22}));
  EXPECT_EQ(Button(l, Control::kFirst), (LayoutRect{20, 662, 32, 32}));
  EXPECT_EQ(Button(l, Control::kZoom), (LayoutRect{396, 662, 32, 32}));
  EXPECT_EQ(Button(l, Control::kSource), (LayoutRect{473, 662, 32, 32})) << "30 pixels after the zoom button";
  EXPECT_EQ(Button(l, Control::kDisplaySwitch), (LayoutRect{661, 662, 32, 32}));
  EXPECT_EQ(l.close, (LayoutRect{1064, 0, 46, 18}));
  EXPECT_EQ(l.size, (LayoutRect{1038, 0, 26, 18}));
  EXPECT_EQ(l.minimise, (LayoutRect{1012, 0, 26, 18}));
  EXPECT_EQ(l.volume_slider, (LayoutRect{1000, 667, 100, 20}));
}

TEST(MainWindowLayout, SizeModeOne) {
  const MainWindowLayout l = LayoutForSizeMode(1);
  EXPECT_EQ(l.video, (LayoutRect{6, 24, 868, 489}));
  EXPECT_EQ(l.video_centre, (LayoutPoint{434, 244}));
  EXPECT_EQ(l.position_slider, (LayoutRect{6, 513, 868, 10}));
  EXPECT_EQ(l.info_panel, (LayoutRect{6, 523, 868, 124}));
  EXPECT_FALSE(l.graph);
  EXPECT_FALSE(l.map);
  ASSERT_TRUE(l.list);
  EXPECT_EQ(*l.list, (LayoutRect{874, 24, 240, 633}));
  EXPECT_EQ(l.docked_sub_view, (LayoutRect{736, 523, 138, 124}));
  EXPECT_EQ(Button(l, Control::kFirst), (LayoutRect{20, 661, 32, 32}));
  EXPECT_EQ(Button(l, Control::kDelete), (LayoutRect{520, 661, 32, 32}));
  EXPECT_EQ(l.close, LayoutForSizeMode(0).close);
  EXPECT_EQ(l.volume_slider, LayoutForSizeMode(0).volume_slider);
}

TEST(MainWindowLayout, SizeModeTwo) {
  const MainWindowLayout l = LayoutForSizeMode(2);
  EXPECT_EQ(l.video, (LayoutRect{6, 24, 1108, 624}));
  EXPECT_EQ(l.video_centre, (LayoutPoint{554, 312}));
  EXPECT_EQ(l.info_panel, (LayoutRect{400, 662, 590, 32})) << "in the bar's row, clear of the slider";
  EXPECT_EQ(l.docked_sub_view.width, 0);
  EXPECT_FALSE(l.graph || l.map || l.list);
  const std::pair<Control, int> shown[] = {{Control::kFirst, 20},      {Control::kPrevious, 67}, {Control::kPlay, 114},
                                           {Control::kSlow, 161},      {Control::kFastForward, 208},
                                           {Control::kNext, 255},      {Control::kZoom, 302},
                                           {Control::kDisplaySwitch, 349}};
  for (const auto& [control, x] : shown) {
    EXPECT_EQ(Button(l, control), (LayoutRect{x, 662, 32, 32})) << static_cast<int>(control);
  }
  for (Control hidden : {Control::kStill, Control::kJoin, Control::kSource, Control::kDelete, Control::kSettings,
                         Control::kCsv}) {
    EXPECT_FALSE(l.buttons[static_cast<std::size_t>(hidden)]) << static_cast<int>(hidden);
  }
}

TEST(MainWindowLayout, DockedSubViewWidths) {
  const int widths[] = {98, 138, 0};
  for (int mode = 0; mode < kSizeModes; ++mode) {
    const MainWindowLayout l = LayoutForSizeMode(mode);
    EXPECT_EQ(l.docked_sub_view.width, widths[mode]);
    EXPECT_EQ(l.docked_sub_view.right(), l.info_panel.right()) << "at the panel's right edge";
    EXPECT_EQ(l.docked_sub_view.height, l.info_panel.height) << "full panel height";
  }
}

// Every shown control lies inside the window and no two overlap, except the
// progress bar over the video and the sub view docked in the panel.
TEST(MainWindowLayout, ControlsStayInsideAndApart) {
  for (int mode = 0; mode < kSizeModes; ++mode) {
    const MainWindowLayout l = LayoutForSizeMode(mode);
    std::vector<std::pair<std::string, LayoutRect>> shown = {
        {"video", l.video},   {"slider", l.position_slider}, {"panel", l.info_panel},
        {"close", l.close},   {"size", l.size},              {"minimise", l.minimise},
        {"volume", l.volume_slider}};
    if (l.graph) shown.emplace_back("graph", *l.graph);
    if (l.map) shown.emplace_back("map", *l.map);
    if (l.list) shown.emplace_back("list", *l.list);
    for (std::size_t i = 0; i < kBarButtons; ++i) {
      if (l.buttons[i]) shown.emplace_back("button " + std::to_string(i), *l.buttons[i]);
    }
    EXPECT_TRUE(l.video.Contains(l.progress_bar));
    EXPECT_TRUE(l.info_panel.Contains(l.docked_sub_view));
    for (std::size_t a = 0; a < shown.size(); ++a) {
      EXPECT_TRUE(l.client.Contains(shown[a].second)) << "mode " << mode << ": " << shown[a].first;
      for (std::size_t b = a + 1; b < shown.size(); ++b) {
        EXPECT_FALSE(shown[a].second.Overlaps(shown[b].second))
            << "mode " << mode << ": " << shown[a].first << " " << shown[a].second << " and " << shown[b].first << " "
            << shown[b].second;
      }
    }
  }
}

TEST(MainWindowLayout, SizeButtonCycleAndTips) {
  int mode = 0;
  const char* tips[] = {"中", "大", "小", "中"};
  const int next[] = {1, 2, 0, 1};
  for (int press = 0; press < 4; ++press) {
    EXPECT_EQ(SizeButtonTip(mode), tips[press]) << "before press " << press;
    mode = NextSizeMode(mode);
    EXPECT_EQ(mode, next[press]);
  }
}

}  // namespace
}  // namespace viewer
