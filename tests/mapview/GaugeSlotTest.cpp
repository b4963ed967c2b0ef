#include "mapview/GaugeSlot.h"

#include <gtest/gtest.h>

#include <vector>

namespace mapview {
namespace {

// The value after every repaint until the slot stays quiet for two ticks
// (reaching the target costs one quiet tick, reading again the next).
std::vector<int> Animate(GaugeSlot& slot, int reading) {
  std::vector<int> shown;
  int quiet = 0;
  for (int tick = 0; tick < 1000 && quiet < 2; ++tick) {
    if (slot.Tick(reading)) {
      shown.push_back(slot.shown());
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return shown;
}

std::vector<int> Steps(int start, const std::vector<int>& shown) {
  std::vector<int> steps;
  for (int value : shown) {
    steps.push_back(value - start);
    start = value;
  }
  return steps;
}

std::vector<int> Repeat(int step, int times, std::vector<int> then = {}) {
  std::vector<int> steps(static_cast<std::size_t>(times), step);
  steps.insert(steps.end(), then.begin(), then.end());
  return steps;
}

struct GaugeRow {
  const char* name;
  int kind;
  int reading;
  int start;
  std::vector<int> steps;
  int final;
};

class GaugeSteps : public ::testing::TestWithParam<GaugeRow> {};

TEST_P(GaugeSteps, ReachTheClampedReading) {
  const GaugeRow& row = GetParam();
  GaugeSlot slot;
  slot.Choose(row.kind);
  EXPECT_EQ(slot.shown(), row.start);
  const std::vector<int> shown = Animate(slot, row.reading);
  EXPECT_EQ(Steps(row.start, shown), row.steps);
  EXPECT_EQ(slot.shown(), row.final);
  EXPECT_FALSE(slot.Tick(row.reading)) << "a reading already shown repaints nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GaugeSteps,
    ::testing::Values(GaugeRow{"Speed250ShowsAs220InSixesThenOnes", 2, 250, 90, Repeat(6, 21, {1, 1, 1, 1}), 220},
                      GaugeRow{"SpeedFallsFromItsStart90", 2, 0, 90, Repeat(-6, 15), 0},
                      GaugeRow{"SpeedCloserThanSixMovesOnes", 2, 94, 90, Repeat(1, 4), 94},
                      GaugeRow{"Kind4FarThenOne", 4, 17, 0, {8, 8, 1}, 17},
                      GaugeRow{"Kind4NearMovesTwos", 4, 7, 0, {2, 2, 2, 1}, 7},
                      GaugeRow{"Kind4ClampedAt300", 4, 1000, 0, Repeat(8, 37, {2, 2}), 300},
                      GaugeRow{"PercentMovesTwosThenOne", 0, 5, 0, {2, 2, 1}, 5},
                      GaugeRow{"NegativeReadingIsZeroAndDrawnOnce", 1, -3, 0, {0}, 0},
                      GaugeRow{"Kind3ClampedAt105", 3, 200, 0, Repeat(2, 52, {1}), 105},
                      GaugeRow{"EmptySlotNeverRepaints", 5, 50, 0, {}, 0},
                      GaugeRow{"UnchosenSlotNeverRepaints", -1, 50, 0, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GaugeSlot, ReadingsWaitUntilTheTargetIsReached) {
  GaugeSlot slot;
  slot.Choose(0);
  ASSERT_TRUE(slot.Tick(10));
  EXPECT_EQ(slot.shown(), 2);
  // A new reading mid-way does not turn the needle: the target holds.
  ASSERT_TRUE(slot.Tick(0));
  EXPECT_EQ(slot.shown(), 4);
  EXPECT_EQ(Steps(4, Animate(slot, 0)), (std::vector<int>{2, 2, 2, -2, -2, -2, -2, -2}));
}

TEST(GaugeSlot, ChoosingAgainRestartsFromTheKindsStart) {
  GaugeSlot slot;
  slot.Choose(2);
  Animate(slot, 200);
  ASSERT_EQ(slot.shown(), 200);
  slot.Choose(2);
  EXPECT_EQ(slot.shown(), 90);
  EXPECT_TRUE(slot.Tick(90)) << "nothing drawn since the choice: the start value is drawn";
  EXPECT_EQ(slot.shown(), 90);
}

}  // namespace
}  // namespace mapview
