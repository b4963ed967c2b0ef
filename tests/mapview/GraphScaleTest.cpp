#include "mapview/GraphScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

namespace mapview {
namespace {

struct RowCase {
  const char* name;
  int height;
  int zoom;
  double g;
  int row;
};
void PrintTo(const RowCase& c, std::ostream* out) { *out << c.name; }

// Height 106: 100 pixels per G at zoom 0, 50 at zoom 1, 25 at zoom 3; the
// zero line at 53, the edges 5 pixels inside at 5 and 100.
const RowCase kRows[] = {
    {"ZeroOnTheZeroLine", 106, 1, 0.0, 53},
    {"HalfGUp", 106, 1, 0.5, 28},
    {"HalfGDown", 106, 1, -0.5, 78},
    {"PlusTwoAndAHalfOnTheTopInset", 106, 1, 2.5, 5},
    {"MinusTwoAndAHalfOnTheBottomInset", 106, 1, -2.5, 100},
    {"AboveTwoGAtTheWidestZoom", 106, 3, 2.01, 5},
    {"FarOutsideNeverLeavesTheWindow", 106, 0, 1e9, 5},
    {"InfinityDown", 106, 0, -std::numeric_limits<double>::infinity(), 100},
    {"NotANumberOnTheZeroLine", 106, 1, std::numeric_limits<double>::quiet_NaN(), 53},
    {"QuarterGAtZoomZero", 106, 0, 0.25, 28},
    {"FourTimesTheRangeAtZoomThree", 106, 3, 1.0, 28},
    {"ZoomAboveThreeIsThree", 106, 9, 1.0, 28},
    {"JustInsideTheTopEdge", 106, 0, 0.47, 6},
    {"TinyGraphStaysOnTheInset", 8, 1, 0.0, 5},
};

class Rows : public ::testing::TestWithParam<RowCase> {};

TEST_P(Rows, LandOnTheComputedRow) {
  const RowCase& c = GetParam();
  EXPECT_EQ(GraphScale(c.height, c.zoom).RowOf(c.g), c.row);
}

INSTANTIATE_TEST_SUITE_P(GraphScale, Rows, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GraphScale, ZoomThreeShowsFourTimesTheRangeOfZoomZero) {
  EXPECT_DOUBLE_EQ(GraphScale(169, 0).PixelsPerG(), 4 * GraphScale(169, 3).PixelsPerG());
}

struct ZoomCase {
  const char* name;
  double largest;
  int zoom;
};
void PrintTo(const ZoomCase& c, std::ostream* out) { *out << c.name; }
const ZoomCase kZooms[] = {
    {"Calm", 0.0, 0},          {"JustBelowHalf", 0.4999, 0}, {"Half", 0.5, 1},  {"JustBelowOne", 0.999, 1},
    {"One", 1.0, 2},           {"OneAndAHalf", 1.5, 3},      {"Huge", 30.0, 3},
};
class Zooms : public ::testing::TestWithParam<ZoomCase> {};
TEST_P(Zooms, FollowTheLargestAcceleration) { EXPECT_EQ(GraphScale::ZoomFor(GetParam().largest), GetParam().zoom); }
INSTANTIATE_TEST_SUITE_P(GraphScale, Zooms, ::testing::ValuesIn(kZooms),
                         [](const auto& info) { return std::string(info.param.name); });

struct CursorCase {
  const char* name;
  std::int64_t frame, first, count;
  int width;
  int x;
};
void PrintTo(const CursorCase& c, std::ostream* out) { *out << c.name; }
const CursorCase kCursors[] = {
    {"StartAtTheMargin", 0, 0, 1800, 656, 50},
    {"Middle", 900, 0, 1800, 656, 353},
    {"LastFrame", 1799, 0, 1800, 656, 655},
    {"NoFramesAtTheMarginInsteadOfDividingByZero", 7, 0, 0, 656, 50},
    {"NegativeCountAtTheMargin", 7, 10, -3, 656, 50},
    {"RangeStartingLater", 1000, 100, 1800, 656, 353},
    {"OneHourDoesNotOverflow", 107999, 0, 108000, 656, 655},
};
class Cursors : public ::testing::TestWithParam<CursorCase> {};
TEST_P(Cursors, StandAtTheFramesColumn) {
  const CursorCase& c = GetParam();
  EXPECT_EQ(GraphScale::CursorX(c.frame, c.first, c.count, c.width), c.x);
}
INSTANTIATE_TEST_SUITE_P(GraphScale, Cursors, ::testing::ValuesIn(kCursors),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mapview
