#include "mapview/TrackModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "FakeMapSink.h"

namespace mapview {
namespace {

using Line = TrackModel::Line;
using Kind = TrackModel::LineKind;
using Piece = TrackModel::Piece;

std::vector<GpsPoint> Points(const std::vector<double>& lats, double lng = 139.25) {
  std::vector<GpsPoint> points;
  for (std::size_t i = 0; i < lats.size(); ++i) points.push_back({lats[i], lng, static_cast<int>(i)});
  return points;
}

struct PieceRow {
  std::string name;
  std::vector<GpsPoint> points;
  std::vector<Piece> pieces;
};

class PiecesTest : public testing::TestWithParam<PieceRow> {};

TEST_P(PiecesTest, SplitsWhereConsecutiveFixesLieTooFarApart) {
  EXPECT_EQ(TrackModel::Pieces(GetParam().points), GetParam().pieces);
}

// Longitude steps shrink with cos(latitude): 0.0028 deg of longitude at 60 deg
// north is 0.0014 deg on the ground, at 60.5 deg a little less.
const double kCos60 = std::cos(60.0 * std::numbers::pi / 180.0);

INSTANTIATE_TEST_SUITE_P(
    Track, PiecesTest,
    testing::Values(PieceRow{"Empty", {}, {}}, PieceRow{"SingleFix", Points({35.5}), {{0, 0}}},
                    PieceRow{"Step0_0013DoesNotSplit", Points({35.5, 35.5013, 35.5026}), {{0, 2}}},
                    PieceRow{"Step0_0014Splits", Points({35.5, 35.5007, 35.5021, 35.5028}), {{0, 1}, {2, 3}}},
                    PieceRow{"SouthWestSplitsToo", Points({-33.9, -33.9014, -33.9021}, -70.6), {{0, 0}, {1, 2}}},
                    PieceRow{"EveryStepSplits", Points({10.0, 10.01, 10.02}), {{0, 0}, {1, 1}, {2, 2}}},
                    PieceRow{"LongitudeScaledByCosLat",
                             {{60.0, 10.0, 0}, {60.0, 10.0 + 0.0013 / kCos60, 1}, {60.0, 10.0 + 0.0013 / kCos60 + 0.0015 / kCos60, 2}},
                             {{0, 1}, {2, 2}}}),
    [](const auto& info) { return info.param.name; });

std::vector<recording::GpsSample> Track(int count, double lat = 35.5, double lng = 139.25, int first_frame = 0,
                                        int frame_step = 1) {
  std::vector<recording::GpsSample> samples;
  for (int i = 0; i < count; ++i) {
    samples.push_back(Fix(lat + i * 0.0005, lng + i * 0.0005, first_frame + i * frame_step));
  }
  return samples;
}

TEST(TrackModelTest, InvalidFixesAreLeftOutOfTheTrack) {
  TrackModel model;
  auto samples = Track(4);
  samples[1].fix_valid = 0;
  samples[1].latitude = 0.0;  // a receiver without a fix writes zeros
  samples[1].longitude = 0.0;
  model.CreateLine(samples);
  ASSERT_EQ(model.group_points().size(), 3u);
  EXPECT_EQ(model.group_points()[1].frame, 2);
  EXPECT_EQ(model.Lines(), (std::vector<Line>{{Kind::kGroup, 0, 2}}));
}

TEST(TrackModelTest, FixesWithoutFiniteDegreesAreLeftOutOfTheTrack) {
  TrackModel model;
  auto samples = Track(4);
  samples[1].latitude = std::numeric_limits<double>::quiet_NaN();
  samples[2].longitude = std::numeric_limits<double>::infinity();
  model.CreateGridLine(samples);
  ASSERT_EQ(model.grid_points().size(), 2u);
  EXPECT_EQ(model.grid_points()[1].frame, 3);
}

TEST(TrackModelTest, AnEmptyListClearsTheOldPieces) {
  TrackModel model;
  model.CreateLine(Track(5));
  model.CreateGridLine(Track(5));
  model.MoveMarker(2);
  ASSERT_FALSE(model.Lines().empty());
  model.CreateLine({});
  model.CreateGridLine(std::vector<recording::GpsSample>{});
  model.MoveMarker(2);
  EXPECT_TRUE(model.Lines().empty());
}

TEST(TrackModelTest, NoSampleListLeavesNoCurrentLines) {
  TrackModel model;
  model.CreateGridLine(Track(5));
  model.MoveMarker(3);
  ASSERT_FALSE(model.Lines().empty());
  model.CreateGridLine(std::nullopt);
  EXPECT_TRUE(model.Lines().empty());
  model.MoveMarker(3);
  EXPECT_TRUE(model.Lines().empty());
}

struct IndexRow {
  std::string name;
  int frame;
  int index;
};

class GetIndexTest : public testing::TestWithParam<IndexRow> {};

// Fixes at frames 10, 20, 30, 40.
TEST_P(GetIndexTest, StandsOnTheLastPointBeforeTheFrame) {
  TrackModel model;
  model.CreateGridLine(Track(4, 35.5, 139.25, 10, 10));
  EXPECT_EQ(model.GetIndex(GetParam().frame), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Frames, GetIndexTest,
                         testing::Values(IndexRow{"NoFrame", -1, -1}, IndexRow{"BeforeTheTrack", 0, 0},
                                         IndexRow{"OnTheFirstPoint", 10, 0}, IndexRow{"BetweenFirstAndSecond", 15, 0},
                                         IndexRow{"OnTheSecondPointStepsBack", 20, 0},
                                         IndexRow{"JustAfterTheSecond", 21, 1}, IndexRow{"OnTheLast", 40, 2},
                                         IndexRow{"AfterTheLast", 99, 3}),
                         [](const auto& info) { return info.param.name; });

TEST(TrackModelTest, GetIndexOnAnEmptyTrackIsBeyondIt) {
  TrackModel model;
  EXPECT_EQ(model.GetIndex(5), 0);
  EXPECT_EQ(model.last_frame(), 5);
}

TEST(TrackModelTest, ThePointOfThePositionIsBothPlayedAndUnplayed) {
  TrackModel model;
  auto samples = Track(6);  // one piece 0-5
  model.CreateGridLine(samples);
  model.MoveMarker(3);  // index 2
  EXPECT_EQ(model.Lines(), (std::vector<Line>{{Kind::kPlayed, 0, 2}, {Kind::kUnplayed, 2, 5}}));
  ASSERT_TRUE(model.marker());
  EXPECT_DOUBLE_EQ(model.marker()->lat, samples[2].latitude);
  EXPECT_DOUBLE_EQ(model.marker()->lng, samples[2].longitude);
}

TEST(TrackModelTest, PiecesBeforeAndAfterThePositionAreWholeLines) {
  TrackModel model;
  auto samples = Track(6);
  for (int i = 3; i < 6; ++i) samples[i].latitude += 0.01;  // pieces 0-2 and 3-5
  model.CreateGridLine(samples);
  model.MoveMarker(5);  // index 4
  EXPECT_EQ(model.Lines(),
            (std::vector<Line>{{Kind::kPlayed, 0, 2}, {Kind::kPlayed, 3, 4}, {Kind::kUnplayed, 4, 5}}));
  model.MoveMarker(3);  // index 2: the end of the first piece
  EXPECT_EQ(model.Lines(), (std::vector<Line>{{Kind::kPlayed, 0, 2}, {Kind::kUnplayed, 3, 5}}));
}

TEST(TrackModelTest, BeforeTheFirstPointAllIsUnplayedAfterTheLastAllIsPlayed) {
  TrackModel model;
  auto samples = Track(4, 35.5, 139.25, 10, 10);
  model.CreateGridLine(samples);
  model.MoveMarker(0);
  EXPECT_EQ(model.Lines(), (std::vector<Line>{{Kind::kUnplayed, 0, 3}}));
  EXPECT_DOUBLE_EQ(model.marker()->lat, samples[0].latitude);
  model.MoveMarker(500);
  EXPECT_EQ(model.Lines(), (std::vector<Line>{{Kind::kPlayed, 0, 3}}));
  EXPECT_DOUBLE_EQ(model.marker()->lat, samples[3].latitude);
}

TEST(TrackModelTest, SingleFixTrackPutsTheMarkerOnIt) {
  TrackModel model;
  model.CreateGridLine(std::vector{Fix(-33.9, -70.6, 7)});
  model.MoveMarker(100);
  EXPECT_EQ(model.Lines(), (std::vector<Line>{{Kind::kPlayed, 0, 0}}));
  ASSERT_TRUE(model.marker());
  EXPECT_DOUBLE_EQ(model.marker()->lat, -33.9);
  EXPECT_DOUBLE_EQ(model.marker()->lng, -70.6);
}

TEST(TrackModelTest, WithoutATrackTheMarkerStandsOnTheHostPosition) {
  TrackModel model;
  model.SetHostPosition(-12.25, -77.5);
  model.MoveMarker(3);
  ASSERT_TRUE(model.marker());
  EXPECT_DOUBLE_EQ(model.marker()->lat, -12.25);
  EXPECT_DOUBLE_EQ(model.marker()->lng, -77.5);
  model.SetHostPosition(1000.0, 1000.0);  // the host has no position either
  model.MoveMarker(3);
  EXPECT_FALSE(model.marker());
}

TEST(TrackModelTest, FrameMinusOneChangesNothing) {
  TrackModel model;
  model.CreateGridLine(Track(3));
  model.MoveMarker(1);
  const auto lines = model.Lines();
  model.MoveMarker(-1);
  EXPECT_EQ(model.Lines(), lines);
  EXPECT_EQ(model.last_frame(), 1);
}

TEST(TrackModelTest, PositionsKeepDoublePrecision) {
  TrackModel model;
  // Single precision would be about a metre off here.
  model.CreateGridLine(std::vector{Fix(35.123456789, 139.987654321, 0)});
  model.MoveMarker(0);
  EXPECT_DOUBLE_EQ(model.marker()->lng, 139.987654321);
}

struct CrashRow {
  std::string name;
  int icolor;
  double lat, lng;
  bool added;
};

class AddCrashPosTest : public testing::TestWithParam<CrashRow> {};

TEST_P(AddCrashPosTest, KeepsOnlyKnownKindsOnTheGlobe) {
  TrackModel model;
  CrashPoint point;
  point.icolor = GetParam().icolor;
  point.lat = GetParam().lat;
  point.lng = GetParam().lng;
  point.ipos = 42;
  EXPECT_EQ(model.AddCrashPos(point), GetParam().added);
  ASSERT_EQ(model.crash_points().size(), GetParam().added ? 1u : 0u);
  if (GetParam().added) {
    EXPECT_EQ(model.crash_points()[0].ipos, 42);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, AddCrashPosTest,
                         testing::Values(CrashRow{"Impact", 0, 35.5, 139.25, true},
                                         CrashRow{"LastKind", 13, 35.5, 139.25, true},
                                         CrashRow{"SouthWest", 5, -33.9, -70.6, true},
                                         CrashRow{"NegativeKind", -1, 35.5, 139.25, false},
                                         CrashRow{"KindPastTheTable", 14, 35.5, 139.25, false},
                                         CrashRow{"LatitudeOffTheGlobe", 2, 91.0, 0.0, false},
                                         CrashRow{"NoPositionMarker", 2, 1000.0, 1000.0, false}),
                         [](const auto& info) { return info.param.name; });

TEST(TrackModelTest, ClearCrashPosRemovesEveryMarker) {
  TrackModel model;
  model.AddCrashPos({});
  model.AddCrashPos({});
  model.ClearCrashPos();
  EXPECT_TRUE(model.crash_points().empty());
}

}  // namespace
}  // namespace mapview
