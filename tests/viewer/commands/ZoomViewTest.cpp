#include "viewer/commands/ZoomView.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

// The picture point (fractions of the picture) seen at a window point.
struct Seen {
  double x;
  double y;
};
Seen PictureUnder(const ZoomView& z, LayoutPoint p, const LayoutRect& picture) {
  return {z.x() + static_cast<double>(p.x - picture.left) / picture.width / z.factor(),
          z.y() + static_cast<double>(p.y - picture.top) / picture.height / z.factor()};
}

struct ClickRow {
  const char* name;
  LayoutRect picture;  // where the picture lies in a 656 x 369 window
  LayoutPoint first;
  LayoutPoint second;
};

class ZoomClicks : public ::testing::TestWithParam<ClickRow> {};

TEST_P(ZoomClicks, ThePointUnderTheCursorStaysThereAndTheThirdClickResets) {
  const ClickRow& row = GetParam();
  ZoomView z;
  z.Reset(656, 369);
  int factor = 1;
  for (const LayoutPoint& p : {row.first, row.second}) {
    const Seen before = PictureUnder(z, p, row.picture);
    z.Click(p, row.picture);
    EXPECT_EQ(z.factor(), ++factor);
    const Seen after = PictureUnder(z, p, row.picture);
    EXPECT_NEAR(after.x, before.x, 1e-9) << "at factor " << factor;
    EXPECT_NEAR(after.y, before.y, 1e-9) << "at factor " << factor;
    // The part shown stays inside the picture.
    EXPECT_GE(z.x(), 0.0);
    EXPECT_GE(z.y(), 0.0);
    EXPECT_LE(z.x() + 1.0 / factor, 1.0 + 1e-9);
    EXPECT_LE(z.y() + 1.0 / factor, 1.0 + 1e-9);
  }

  z.Click(row.first, row.picture);
  EXPECT_EQ(z.factor(), 1);
  EXPECT_EQ(z.x(), 0.0);
  EXPECT_EQ(z.y(), 0.0);
  EXPECT_EQ(z.centre(), (LayoutPoint{328, 184}));
  EXPECT_EQ(z.last_click(), row.first);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZoomClicks,
    ::testing::Values(ClickRow{"Centre", {0, 0, 656, 369}, {328, 184}, {328, 184}},
                      ClickRow{"TopLeftCorner", {0, 0, 656, 369}, {0, 0}, {0, 0}},
                      ClickRow{"BottomRightCorner", {0, 0, 656, 369}, {655, 368}, {655, 368}},
                      ClickRow{"OffCentreThenOtherSide", {0, 0, 656, 369}, {100, 300}, {600, 20}},
                      // Keep-aspect with a 4:3 picture: bars left and right.
                      ClickRow{"PillarBoxed", {82, 0, 492, 369}, {200, 100}, {400, 300}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ZoomView, AClickOnTheBarsCountsAsOnTheNearestEdgeOfThePicture) {
  const LayoutRect picture{82, 0, 492, 369};
  ZoomView z;
  z.Reset(656, 369);
  z.Click({10, 184}, picture);  // in the left bar
  EXPECT_EQ(z.factor(), 2);
  EXPECT_DOUBLE_EQ(z.x(), 0.0);
  EXPECT_NEAR(z.y(), 0.25, 0.01);
}

struct RescaleRow {
  const char* name;
  int old_width, old_height, new_width, new_height;
  bool keeps_zoom;
};

class ZoomRescale : public ::testing::TestWithParam<RescaleRow> {};

TEST_P(ZoomRescale, DockingAndFloatingKeepThePartShownOrReset) {
  const RescaleRow& row = GetParam();
  ZoomView z;
  z.Reset(row.old_width, row.old_height);
  z.Click({row.old_width / 4, row.old_height / 4}, {0, 0, row.old_width, row.old_height});
  const double x = z.x(), y = z.y();
  z.Rescale(row.old_width, row.old_height, row.new_width, row.new_height);
  if (row.keeps_zoom) {
    EXPECT_EQ(z.factor(), 2);
    EXPECT_DOUBLE_EQ(z.x(), x);
    EXPECT_DOUBLE_EQ(z.y(), y);
    EXPECT_EQ(z.last_click(), (LayoutPoint{row.old_width / 4 * row.new_width / row.old_width,
                                          row.old_height / 4 * row.new_height / row.old_height}));
  } else {
    EXPECT_EQ(z.factor(), 1);
    EXPECT_EQ(z.x(), 0.0);
  }
  EXPECT_EQ(z.centre(), (LayoutPoint{row.new_width / 2, row.new_height / 2}));
}

INSTANTIATE_TEST_SUITE_P(Rows, ZoomRescale,
                         ::testing::Values(RescaleRow{"DockedToFloating", 98, 85, 450, 253, true},
                                           RescaleRow{"FloatingToDocked", 450, 253, 138, 85, true},
                                           RescaleRow{"ToTheZeroWidthDockOfSizeMode2", 450, 253, 0, 15, false},
                                           RescaleRow{"FromTheZeroWidthDock", 0, 15, 450, 253, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace viewer
