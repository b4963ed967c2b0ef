#include "viewer/commands/PlaybackPosition.h"

#include <gtest/gtest.h>

#include <ostream>

namespace viewer {
namespace {

TEST(PlaybackPosition, ToleranceGrowsWithTheDuration) {
  EXPECT_EQ(PlaybackPosition::Tolerance(0), 30);
  EXPECT_EQ(PlaybackPosition::Tolerance(999), 30);
  EXPECT_EQ(PlaybackPosition::Tolerance(1800), 31);
  EXPECT_EQ(PlaybackPosition::Tolerance(5400), 35);
}

// After a seek to frame 900 in 5,400 frames (tolerance 35) the tick ignores
// positions outside 865..935 until the players get there.
TEST(PlaybackPosition, PendingSeekWindow) {
  PlaybackPosition pos;
  pos.Start(5400);
  ASSERT_EQ(pos.PlanSeek(900, PlayState::kPaused, 1), 900);
  for (int stale : {120, 865, 935, 2000}) {
    EXPECT_FALSE(pos.AcceptTick(stale, 5400)) << stale;
    EXPECT_EQ(pos.pending(), 900);
  }
  EXPECT_EQ(pos.AcceptTick(866, 5400), 866);
  EXPECT_EQ(pos.pending(), -1);
  EXPECT_EQ(pos.AcceptTick(120, 5400), 120) << "nothing pending: every position is taken";
}

TEST(PlaybackPosition, NonPositivePositionMovesNothing) {
  PlaybackPosition pos;
  pos.Start(300);
  EXPECT_FALSE(pos.AcceptTick(0, 300));
  EXPECT_FALSE(pos.AcceptTick(-1, 300));
  EXPECT_EQ(pos.AcceptTick(1, 300), 1);
}

TEST(PlaybackPosition, TickPositionIsClampedToTheRange) {
  PlaybackPosition pos;
  pos.Start(300);
  EXPECT_EQ(pos.AcceptTick(310, 300), 299);
}

struct SeekRow {
  const char* name;
  int frames;
  PlayState state;
  int level;
  int frame;
  int sent;
};

void PrintTo(const SeekRow& row, std::ostream* out) { *out << row.name; }

const SeekRow kSeeks[] = {
    {"PausedSeeksToTheFrameItself", 1800, PlayState::kPaused, 1, 1790, 1790},
    {"StoppedSeeksToTheLastFrame", 1800, PlayState::kStopped, 4, 1799, 1799},
    {"PausedBeyondTheEndIsClamped", 1800, PlayState::kPaused, 1, 5000, 1799},
    {"NegativeFrameIsClamped", 1800, PlayState::kPaused, 1, -5, 0},
    {"PlayingKeepsTwentyFrames", 1800, PlayState::kPlaying, 1, 1790, 1780},
    {"PlayingAtDoubleKeepsForty", 1800, PlayState::kPlaying, 2, 1790, 1760},
    {"PlayingAtFourTimesKeepsEighty", 1800, PlayState::kPlaying, 4, 1790, 1720},
    {"PlayingBeforeTheBoundIsUnchanged", 1800, PlayState::kPlaying, 4, 900, 900},
    {"PlayingShortRecordingNeverBelowZero", 50, PlayState::kPlaying, 4, 30, 0},
    {"PlayingEmptyRangeStaysAtZero", 0, PlayState::kPlaying, 1, 10, 0},
};

class Seeking : public ::testing::TestWithParam<SeekRow> {};

TEST_P(Seeking, SendsAndRemembersTheBoundedFrame) {
  const SeekRow& r = GetParam();
  PlaybackPosition pos;
  pos.Start(r.frames);
  EXPECT_EQ(pos.PlanSeek(r.frame, r.state, r.level), r.sent);
  EXPECT_EQ(pos.pending(), r.sent) << "the pending seek is the frame the players were sent";
}

INSTANTIATE_TEST_SUITE_P(Rows, Seeking, ::testing::ValuesIn(kSeeks),
                         [](const auto& info) { return std::string(info.param.name); });

// At x4 near the end the players land on the bounded frame; since that is the
// pending seek, the tick accepts them there and the views move on.
TEST(PlaybackPosition, FourTimesNearTheEndIsAcceptedWhereThePlayersLand) {
  PlaybackPosition pos;
  pos.Start(1800);
  const int sent = pos.PlanSeek(1795, PlayState::kPlaying, 4);
  EXPECT_EQ(pos.AcceptTick(sent + 2, 1800), sent + 2);
}

TEST(PlaybackPosition, StartAndResetRange) {
  PlaybackPosition pos;
  pos.Start(1800);
  pos.PlanSeek(100, PlayState::kPaused, 1);
  pos.Start(600);
  EXPECT_EQ(pos.pending(), -1) << "a new recording has no pending seek";
  EXPECT_EQ(pos.Clamp(900), 599);
  pos.ResetRange(300);
  EXPECT_EQ(pos.Clamp(900), 299);
  EXPECT_EQ(pos.Clamp(-3), 0);
}

}  // namespace
}  // namespace viewer
