#include "mapview/GraphPlan.h"

#include <gtest/gtest.h>

#include "SeriesMaker.h"
#include "mapview/DetectorTable.h"
#include "mapview/GraphScale.h"

namespace mapview {
namespace {

using recording::AccelSample;
using Marker = GraphPlan::Marker;

constexpr int kHeight = 106;  // zero line 53, 50 px per G at zoom 1

TEST(GraphPlan, NothingWithoutFramesSamplesOrWidth) {
  const DetectorTable table;
  EXPECT_EQ(GraphPlan::Make(SensorSeries(), table, 656, kHeight, 1).steps, 0);
  EXPECT_EQ(GraphPlan::Make(SensorSeries({}, {0, 0, 0}), table, 656, kHeight, 1).steps, 0);
  const SensorSeries series = SeriesMaker::OnePerFrame(10, nullptr);
  const GraphPlan narrow = GraphPlan::Make(series, table, GraphScale::kLeftMargin + 1, kHeight, 1);
  EXPECT_EQ(narrow.steps, 0);
  EXPECT_TRUE(narrow.traces[0].empty());
}

TEST(GraphPlan, FewFramesSpreadOverTheWidthAndFlatStretchesKeepTheirEnds) {
  // 10 frames over 100 drawable columns: a step every 10 px. X is flat at
  // 0.5 G except frame 6 at -0.5 G.
  const SensorSeries series = SeriesMaker::OnePerFrame(10, [](std::int32_t i, AccelSample& s) {
    s.x = i == 6 ? -0.5 : 0.5;
  });
  const GraphPlan plan = GraphPlan::Make(series, DetectorTable(), 151, kHeight, 1);
  EXPECT_EQ(plan.steps, 10);
  const std::vector<GraphPlan::Point> x = {{50, 28}, {100, 28}, {110, 78}, {120, 28}, {140, 28}};
  EXPECT_EQ(plan.traces[0], x);
  // Y and Z are 0 throughout: one line on the zero row from the first step to the last.
  EXPECT_EQ(plan.traces[1], (std::vector<GraphPlan::Point>{{50, 53}, {140, 53}}));
}

TEST(GraphPlan, AnEventShorterThanAStepStillGetsItsMarker) {
  // 10 000 frames over 100 columns: 100 frames a step. A user point lasting
  // one frame in the middle of step 50 is marked at that step's column.
  const SensorSeries series = SeriesMaker::OnePerFrame(10000, [](std::int32_t i, AccelSample& s) {
    if (i == 5037) s.event = 5;
  });
  const GraphPlan plan = GraphPlan::Make(series, DetectorTable(), 151, kHeight, 1);
  EXPECT_EQ(plan.steps, 100);
  EXPECT_EQ(plan.markers, (std::vector<Marker>{{100, 5, 3}}));
}

TEST(GraphPlan, OneMarkerPerEventAndAnotherForAKindChange) {
  const SensorSeries series = SeriesMaker::OnePerFrame(50, [](std::int32_t i, AccelSample& s) {
    if (i >= 10 && i < 30) s.event = 11;
    if (i >= 30 && i < 32) s.event = 12;
  });
  const GraphPlan plan = GraphPlan::Make(series, DetectorTable(), 151, kHeight, 1);
  // 50 frames over 100 columns: 2 px a step.
  EXPECT_EQ(plan.markers, (std::vector<Marker>{{70, 11, 9}, {110, 12, 9}}));
}

TEST(GraphPlan, GraphFlagOffHidesTheTraceAndItsMarkers) {
  const SensorSeries series = SeriesMaker::OnePerFrame(20, [](std::int32_t i, AccelSample& s) {
    if (i == 5) s.axis = 1;
    if (i == 8) s.axis = 2;
  });
  DetectorTable table;
  table.SetFlags(0, false);
  const GraphPlan plan = GraphPlan::Make(series, table, 151, kHeight, 1);
  EXPECT_TRUE(plan.traces[0].empty());
  EXPECT_FALSE(plan.traces[1].empty());
  EXPECT_EQ(plan.markers, (std::vector<Marker>{{90, 2, 1}}));
}

TEST(GraphPlan, MarkersInEntryOrderForTheLabels) {
  const SensorSeries series = SeriesMaker::OnePerFrame(20, [](std::int32_t i, AccelSample& s) {
    if (i == 2) s.event = 13;
    if (i == 4) s.flag = 8;
    if (i == 6) s.event = 5;
  });
  const GraphPlan plan = GraphPlan::Make(series, DetectorTable(), 151, kHeight, 1);
  EXPECT_EQ(plan.markers, (std::vector<Marker>{{80, 5, 3}, {70, 8, 6}, {60, 13, 9}}));
}

TEST(GraphPlan, SpeedingBandCoversItsColumnsWhileItsEntryIsOn) {
  // 100 frames over 200 columns: 2 px a step; speeding on frames 10-19.
  const SensorSeries series = SeriesMaker::OnePerFrame(100, [](std::int32_t i, AccelSample& s) {
    if (i >= 10 && i < 20) s.flag = 8;
  });
  DetectorTable table;
  EXPECT_EQ(GraphPlan::Make(series, table, 251, kHeight, 1).band, (std::vector<GraphPlan::Span>{{70, 90}}));
  table.SetFlags(DetectorTable::kSpeedingEntry, false);
  const GraphPlan off = GraphPlan::Make(series, table, 251, kHeight, 1);
  EXPECT_TRUE(off.band.empty());
  EXPECT_TRUE(off.markers.empty());
}

TEST(GraphPlan, ShortSpeedingInsideAStepStillPaintsItsColumn) {
  const SensorSeries series = SeriesMaker::OnePerFrame(10000, [](std::int32_t i, AccelSample& s) {
    if (i == 2050) s.flag = 8;
  });
  const GraphPlan plan = GraphPlan::Make(series, DetectorTable(), 151, kHeight, 1);
  EXPECT_EQ(plan.band, (std::vector<GraphPlan::Span>{{70, 71}}));
}

}  // namespace
}  // namespace mapview
