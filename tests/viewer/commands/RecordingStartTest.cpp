#include "viewer/commands/RecordingStart.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(QualityCode, ByHeightAndLetter) {
  const struct {
    int height;
    char letter;
    int code;
  } rows[] = {{360, 'H', 1}, {360, 'L', 2}, {720, 'H', 3}, {720, 'N', 4}, {1080, 'H', 5},
              {1080, 0, 6},  {1080, 'h', 6}, {480, 'H', 0}, {0, 'H', 0},  {1088, 'L', 0}};
  for (const auto& r : rows) EXPECT_EQ(QualityCode(r.height, r.letter), r.code) << r.height << " " << r.letter;
}

TEST(FramePeriod, FromTheRate) {
  EXPECT_FLOAT_EQ(FramePeriodMs(30.0), 1000.0f / 30.0f);
  EXPECT_FLOAT_EQ(FramePeriodMs(30000.0 / 1001.0), 33.366665f);
  EXPECT_EQ(FramePeriodMs(0.0), 0.0f);
  EXPECT_EQ(FramePeriodMs(-5.0), 0.0f);
}

}  // namespace
}  // namespace viewer
