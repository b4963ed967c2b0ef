#include "viewer/commands/CommandGuard.h"
#include "viewer/commands/GuardZone.h"

#include <gtest/gtest.h>

#include <ostream>

namespace viewer {
namespace {

struct GuardRow {
  const char* name;
  bool loaded;
  PlayState state;
  int position;
  int duration;
  int level;
  bool allowed;
};

void PrintTo(const GuardRow& row, std::ostream* out) { *out << row.name; }

// A 1800-frame recording (a minute at 30 frames per second).
const GuardRow kGuardRows[] = {
    {"NothingLoaded", false, PlayState::kStopped, 0, 1800, 1, false},
    {"StoppedAtTheEnd", true, PlayState::kStopped, 1799, 1800, 1, true},
    {"PausedAtTheEnd", true, PlayState::kPaused, 1799, 1800, 4, true},
    {"NormalOutsideTwentyFrames", true, PlayState::kPlaying, 1779, 1800, 1, true},
    {"NormalAtTwentyFrames", true, PlayState::kPlaying, 1780, 1800, 1, false},
    {"HalfSpeedUsesTwentyFrames", true, PlayState::kPlaying, 1779, 1800, -2, true},
    {"DoubleOutsideFortyFrames", true, PlayState::kPlaying, 1759, 1800, 2, true},
    {"DoubleAtFortyFrames", true, PlayState::kPlaying, 1760, 1800, 2, false},
    {"DoubleInsideFortyFrames", true, PlayState::kPlaying, 1779, 1800, 2, false},
    {"FourTimesOutsideEightyFrames", true, PlayState::kPlaying, 1719, 1800, 4, true},
    {"FourTimesAtEightyFrames", true, PlayState::kPlaying, 1720, 1800, 4, false},
    {"UnknownDurationRefusesNothing", true, PlayState::kPlaying, 5000, 0, 4, true},
    {"RecordingShorterThanTheMargin", true, PlayState::kPlaying, 0, 60, 4, false},
};

class Guard : public ::testing::TestWithParam<GuardRow> {};

TEST_P(Guard, AllowsOrRefuses) {
  const GuardRow& r = GetParam();
  EXPECT_EQ(CommandGuardAllows(r.loaded, r.state, r.position, r.duration, r.level), r.allowed);
}

INSTANTIATE_TEST_SUITE_P(Rows, Guard, ::testing::ValuesIn(kGuardRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Guard, GuardedCommands) {
  for (int command : {38000, 38001, 38003, 38004, 38005, 38007, 38008}) EXPECT_TRUE(IsGuardedCommand(command)) << command;
  for (int command : {14, 15, 16, 38002, 38006, 38009, 38010, 38011, 38012, 38013, 38200, 38700}) {
    EXPECT_FALSE(IsGuardedCommand(command)) << command;
  }
}

TEST(Guard, FullscreenNotWithinTenFramesOfTheEnd) {
  EXPECT_TRUE(FullscreenEntryAllowed(1789, 1800));
  EXPECT_FALSE(FullscreenEntryAllowed(1790, 1800));
  EXPECT_FALSE(FullscreenEntryAllowed(1799, 1800));
  EXPECT_TRUE(FullscreenEntryAllowed(100, 0)) << "unknown duration";
}

// The tick disables the controls once on entering the zone and recomputes
// them once on leaving it, however many ticks fall inside.
TEST(Guard, ZoneReportsEachCrossingOnce) {
  GuardZone zone;
  const int duration = 300;
  int entered = 0, left = 0;
  const auto tick = [&](int position, int level) {
    switch (zone.Update(!CommandGuardAllows(true, PlayState::kPlaying, position, duration, level))) {
      case GuardZone::Change::kEntered: ++entered; break;
      case GuardZone::Change::kLeft: ++left; break;
      case GuardZone::Change::kNone: break;
    }
  };
  for (int p = 200; p < 300; p += 3) tick(p, 1);
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(left, 0);
  EXPECT_TRUE(zone.inside());
  tick(100, 1);  // a seek back
  EXPECT_EQ(left, 1);
  tick(250, 4);  // x4: its margin of 80 covers frame 250
  EXPECT_EQ(entered, 2);
  zone.Reset();
  EXPECT_FALSE(zone.inside());
  tick(10, 1);
  EXPECT_EQ(left, 1) << "a new recording starts outside without a crossing";
}

}  // namespace
}  // namespace viewer
