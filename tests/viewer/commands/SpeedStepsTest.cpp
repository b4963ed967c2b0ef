#include "viewer/commands/SpeedSteps.h"

#include <gtest/gtest.h>

#include <ostream>

namespace viewer {
namespace {

constexpr SpeedPlayer kMain{true, false};
constexpr SpeedPlayer kMainBackwards{true, true};
constexpr SpeedPlayer kFallback{false, false};

struct StepRow {
  const char* name;
  int current;
  int faster;            // forward-only media
  int faster_backwards;  // media that plays backwards
  int slower_main;
  int slower_fallback;
};

void PrintTo(const StepRow& row, std::ostream* out) { *out << row.name; }

const StepRow kSteps[] = {
    {"FourTimes", 4, 4, 4, 2, 2},
    {"Double", 2, 4, 4, 1, 1},
    {"Normal", 1, 2, 2, -1, -1},
    {"ToggleLevel", -1, 1, 1, -2, -2},
    {"Half", -2, 1, -1, -2, -4},
    {"Quarter", -4, -2, -2, 1, -4},
};

class SpeedStep : public ::testing::TestWithParam<StepRow> {};

TEST_P(SpeedStep, FollowsTheTable) {
  const StepRow& r = GetParam();
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kFaster, r.current, true, kMain), r.faster);
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kFaster, r.current, true, kMainBackwards), r.faster_backwards);
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kSlower, r.current, true, kMain), r.slower_main);
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kSlower, r.current, true, kFallback), r.slower_fallback);
}

INSTANTIATE_TEST_SUITE_P(Levels, SpeedStep, ::testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpeedSteps, OnlyWhilePlayingOtherwiseNormal) {
  for (int level : {4, 2, -2, -4}) {
    EXPECT_EQ(NextSpeedLevel(SpeedCommand::kFaster, level, false, kMain), 1) << level;
    EXPECT_EQ(NextSpeedLevel(SpeedCommand::kSlower, level, false, kMain), 1) << level;
  }
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kFaster, 3, true, kMain), 1) << "an unknown level goes back to normal";
}

// Slow from normal asks for the toggle (the player then reports half speed);
// slow again at half speed stays there with the main back end and goes to a
// quarter with the fallback.
TEST(SpeedSteps, SlowAtHalfSpeed) {
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kSlower, 1, true, kMain), -1);
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kSlower, -2, true, kMain), -2);
  EXPECT_EQ(SpeedText(-2), "再生速度x0.5");
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kSlower, -2, true, kFallback), -4);
  EXPECT_EQ(NextSpeedLevel(SpeedCommand::kSlower, -4, true, kFallback), -4) << "the slowest stays";
}

TEST(SpeedSteps, Texts) {
  EXPECT_EQ(SpeedText(2), "再生速度x2.0");
  EXPECT_EQ(SpeedText(4), "再生速度x4.0");
  EXPECT_EQ(SpeedText(-2), "再生速度x0.5");
  EXPECT_EQ(SpeedText(-4), "再生速度x0.25");
  for (int level : {1, -1, 0, 3, 8}) EXPECT_EQ(SpeedText(level), "") << level;
}

// On the main back end the slow command never reaches a quarter speed.
TEST(SpeedSteps, MainBackEndNeverSlowsToAQuarter) {
  int level = 4;
  for (int press = 0; press < 10; ++press) {
    level = NextSpeedLevel(SpeedCommand::kSlower, level, true, kMain);
    EXPECT_NE(level, -4) << "press " << press;
  }
}

// Pressing fast-forward from the slowest level climbs to x4 and stays.
TEST(SpeedSteps, FastForwardClimbsToFourTimes) {
  int level = -4;
  const int expected[] = {-2, 1, 2, 4, 4};
  for (int want : expected) {
    level = NextSpeedLevel(SpeedCommand::kFaster, level, true, kMain);
    EXPECT_EQ(level, want);
  }
}

}  // namespace
}  // namespace viewer
