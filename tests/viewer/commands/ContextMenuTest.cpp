#include "viewer/commands/ContextMenu.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "viewer/settings/UiTextTable.h"

namespace viewer {
namespace {

// The menu as text: item texts separated by "|", "-" for a separator, a
// greyed item in brackets.
std::string Shown(const std::vector<MenuItem>& items) {
  std::string out;
  for (const MenuItem& item : items) {
    if (!out.empty()) out += '|';
    if (item.command == 0) {
      out += '-';
      continue;
    }
    const std::string text(UiText(item.text));
    out += item.greyed ? "[" + text + "]" : text;
  }
  return out;
}

MenuInputs Playing() {
  MenuInputs in;
  in.state = PlayState::kPlaying;
  return in;
}

struct MenuRow {
  const char* name;
  MenuInputs in;
  const char* shown;
};

void PrintTo(const MenuRow& row, std::ostream* out) { *out << row.name; }

MenuInputs With(MenuInputs in, void (*change)(MenuInputs&)) {
  change(in);
  return in;
}

const MenuRow kMenus[] = {
    {"Playing", Playing(), "一時停止|停止|早送り|スロー|-|表示切替|-|静止画|設定|-|参照"},
    {"Paused", With(Playing(), [](MenuInputs& in) { in.state = PlayState::kPaused; }),
     "再生|停止|早送り|スロー|-|表示切替|-|静止画|設定|-|参照"},
    {"StoppedHasNoSpeedItems", With(Playing(), [](MenuInputs& in) { in.state = PlayState::kStopped; }),
     "再生|停止|-|表示切替|-|静止画|設定|-|参照"},
    {"FastForwardGreyAtFourTimes", With(Playing(), [](MenuInputs& in) { in.speed_level = 4; }),
     "一時停止|停止|[早送り]|スロー|-|表示切替|-|静止画|設定|-|参照"},
    {"FastForwardGreyWhileResting", With(Playing(), [](MenuInputs& in) { in.speed_debounce = true; }),
     "一時停止|停止|[早送り]|スロー|-|表示切替|-|静止画|設定|-|参照"},
    {"SlowGreyAtNegativeLevels", With(Playing(), [](MenuInputs& in) { in.speed_level = -1; }),
     "一時停止|停止|早送り|[スロー]|-|表示切替|-|静止画|設定|-|参照"},
    {"SmallestSizeHasNoSource", With(Playing(), [](MenuInputs& in) { in.size_mode = 2; }),
     "一時停止|停止|早送り|スロー|-|表示切替|-|静止画|設定"},
    {"FullscreenOffersStretch", With(Playing(), [](MenuInputs& in) { in.fullscreen = true; }),
     "一時停止|停止|早送り|スロー|-|表示切替|フルスクリーン（ストレッチ）"},
    {"FullscreenOffersKeepAspect",
     With(Playing(),
          [](MenuInputs& in) {
            in.fullscreen = true;
            in.keep_aspect = false;
          }),
     "一時停止|停止|早送り|スロー|-|表示切替|フルスクリーン（縦横比を維持）"},
    {"NoneWhileBusy", With(Playing(), [](MenuInputs& in) { in.busy = true; }), ""},
    {"NoneWhenTheGuardRefuses", With(Playing(), [](MenuInputs& in) { in.guard_allows = false; }), ""},
};

class ContextMenu : public ::testing::TestWithParam<MenuRow> {};

TEST_P(ContextMenu, ItemsByState) { EXPECT_EQ(Shown(ContextMenuItems(GetParam().in)), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(Rows, ContextMenu, ::testing::ValuesIn(kMenus),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ContextMenuCommands, ItemsSendTheButtonsCommands) {
  MenuInputs in = Playing();
  const auto items = ContextMenuItems(in);
  const int expected[] = {38002, 38000, 38004, 38003, 0, 38013, 0, 38006, 38011, 0, 38009};
  ASSERT_EQ(items.size(), std::size(expected));
  for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].command, expected[i]) << i;
  in.fullscreen = true;
  EXPECT_EQ(ContextMenuItems(in).back().command, 38200);
}

}  // namespace
}  // namespace viewer
