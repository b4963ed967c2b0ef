#include "mapview/MapScaleBar.h"

#include <gtest/gtest.h>

#include <string>

namespace mapview {
namespace {

struct ScaleRow {
  std::string name;
  double metres_per_pixel;
  double metres;
  std::string text;
};

class MapScaleBarTest : public testing::TestWithParam<ScaleRow> {};

TEST_P(MapScaleBarTest, TheLongestRoundDistanceThatFits) {
  const MapScaleBar bar = MapScaleBar::Choose(GetParam().metres_per_pixel, 100.0);
  EXPECT_DOUBLE_EQ(bar.metres, GetParam().metres);
  EXPECT_EQ(bar.text, GetParam().text);
  if (bar.metres > 0.0) {
    EXPECT_LE(bar.pixels, 100.0);
    EXPECT_GT(bar.pixels, 40.0);  // never less than 2/5 of the room
    EXPECT_DOUBLE_EQ(bar.pixels * GetParam().metres_per_pixel, bar.metres);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scales, MapScaleBarTest,
    testing::Values(ScaleRow{"ExactlyFits", 1.0, 100.0, "100 m"}, ScaleRow{"TwoHundred", 3.0, 200.0, "200 m"},
                    ScaleRow{"JustUnderFive", 4.99, 200.0, "200 m"}, ScaleRow{"Five", 5.0, 500.0, "500 m"},
                    ScaleRow{"Kilometres", 25.0, 2000.0, "2 km"}, ScaleRow{"OneMetre", 0.013, 1.0, "1 m"},
                    ScaleRow{"UnderAMetre", 0.005, 0.0, ""}, ScaleRow{"NoScale", 0.0, 0.0, ""},
                    ScaleRow{"NegativeScale", -1.0, 0.0, ""}, ScaleRow{"BiggerThanTheGlobe", 1.0e6, 0.0, ""}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace mapview
