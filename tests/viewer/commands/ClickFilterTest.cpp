#include "viewer/commands/ClickFilter.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

struct PressRow {
  const char* name;
  bool double_clicked;
  std::int64_t press_after_ms;  // after the double click (or after 1000 ms)
  bool becomes_click;
};

class ClickFilterPresses : public ::testing::TestWithParam<PressRow> {};

TEST_P(ClickFilterPresses, APressAfterADoubleClickIsIgnoredFor500Ms) {
  const PressRow& row = GetParam();
  ClickFilter filter;
  if (row.double_clicked) filter.DoubleClick(1000);
  EXPECT_EQ(filter.Press(1000 + row.press_after_ms), row.becomes_click);
}

INSTANTIATE_TEST_SUITE_P(Rows, ClickFilterPresses,
                         ::testing::Values(PressRow{"NoDoubleClickYet", false, 0, true},
                                           PressRow{"TheDoubleClicksOwnRelease", true, 0, false},
                                           PressRow{"JustInsideTheBlock", true, 499, false},
                                           PressRow{"AtTheEndOfTheBlock", true, 500, true},
                                           PressRow{"LongAfter", true, 5000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClickFilter, ASecondDoubleClickStartsTheBlockAgain) {
  ClickFilter filter;
  filter.DoubleClick(0);
  filter.DoubleClick(400);
  EXPECT_FALSE(filter.Press(800));
  EXPECT_TRUE(filter.Press(900));
}

}  // namespace
}  // namespace viewer
