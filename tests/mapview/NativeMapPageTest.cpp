#include "mapview/NativeMapPage.h"

#include <gtest/gtest.h>

#include <string>

#include "FakeMapSink.h"

namespace mapview {
namespace {

using Kind = TrackModel::LineKind;

std::vector<recording::GpsSample> Track(int count, double lat, double lng) {
  std::vector<recording::GpsSample> samples;
  for (int i = 0; i < count; ++i) samples.push_back(Fix(lat + i * 0.0003, lng + i * 0.0003, i));
  return samples;
}

class NativeMapPageTest : public testing::Test {
 protected:
  void Reload() {
    ASSERT_TRUE(page_.Execute("orbitgrplist.RemoveLineList()"));
    ASSERT_TRUE(page_.Execute("orbitgrplist.CreateLine()"));
    ASSERT_TRUE(page_.Execute("orbitgrplist.CreateGridLine(0)"));
  }

  FakeMapSink sink_;
  NativeMapPage page_{&sink_};
};

TEST_F(NativeMapPageTest, ReportsPageReadyOncePerConnection) {
  page_.Round();
  page_.Round();
  EXPECT_EQ(sink_.init_html, 1);
  sink_.connected = 0;
  page_.Round();
  sink_.connected = 1;
  page_.Round();
  page_.Round();
  EXPECT_EQ(sink_.init_html, 2);
  EXPECT_EQ(sink_.set_sends, 0);  // the host writes the fields; no status request
}

TEST_F(NativeMapPageTest, WithoutAHostPositionTheFirstRoundStillReportsPageReady) {
  page_.UpdateData(1000.0, 1000.0, "");
  page_.Round();
  page_.Round();
  EXPECT_EQ(sink_.connect_tests, 1);
  EXPECT_EQ(sink_.init_html, 1);
}

TEST_F(NativeMapPageTest, ReloadDrawsTheGroupAndTheCurrentTrack) {
  sink_.group = Track(10, 35.5, 139.25);
  sink_.grid = Track(5, 35.5, 139.25);
  sink_.frame = 3;
  Reload();
  EXPECT_EQ(page_.model().Lines(), (std::vector<TrackModel::Line>{
                                       {Kind::kGroup, 0, 9}, {Kind::kPlayed, 0, 2}, {Kind::kUnplayed, 2, 4}}));
}

struct StatusRow {
  std::string name;
  std::string status;
  bool moves;
};

class NativeMapPageStatusTest : public NativeMapPageTest, public testing::WithParamInterface<StatusRow> {};

TEST_P(NativeMapPageStatusTest, TheRoundMovesTheMarkerOnlyWhilePlaying) {
  sink_.grid = Track(5, 35.5, 139.25);
  sink_.frame = 1;
  Reload();
  page_.Round();  // page-ready
  sink_.frame = 4;
  page_.UpdateData(35.5, 139.25, GetParam().status);
  page_.Round();
  const double expected = GetParam().moves ? sink_.grid->at(3).latitude : sink_.grid->at(0).latitude;
  ASSERT_TRUE(page_.model().marker());
  EXPECT_DOUBLE_EQ(page_.model().marker()->lat, expected);
}

INSTANTIATE_TEST_SUITE_P(Status, NativeMapPageStatusTest,
                         testing::Values(StatusRow{"Playing", "", true}, StatusRow{"Paused", "pause", false},
                                         StatusRow{"PausedInCapitals", "PAUSE", false},
                                         StatusRow{"Stopped", "stop", false}, StatusRow{"StoppedMixedCase", "Stop", false},
                                         StatusRow{"Ready", "ready", true}),
                         [](const auto& info) { return info.param.name; });

TEST_F(NativeMapPageTest, AtZeroZeroTheMarkerMovesOnlyAfterARebuild) {
  sink_.grid = Track(5, 35.5, 139.25);
  sink_.frame = 1;
  Reload();
  page_.Round();
  page_.UpdateData(0.0, 0.0, "");
  const int asked = sink_.frame_requests;
  page_.Round();  // last frame known: no move
  EXPECT_EQ(sink_.frame_requests, asked);
  page_.Execute("orbitgrplist.CreateLine()");  // forgets the frame
  page_.Round();
  EXPECT_EQ(sink_.frame_requests, asked + 1);
}

struct ClickRow {
  std::string name;
  double lat, lng;
  int valid;
  bool moves;
};

class NativeMapPageClickTest : public NativeMapPageTest, public testing::WithParamInterface<ClickRow> {};

TEST_P(NativeMapPageClickTest, AClickTellsTheHostAndMovesTheMarkerByFixValidity) {
  sink_.grid = Track(5, GetParam().lat, GetParam().lng);
  sink_.frame = 1;
  Reload();
  page_.Round();
  const std::string add = FakeMapSink::AddCrashPos(2, GetParam().lat, GetParam().lng, 345, GetParam().valid);
  ASSERT_TRUE(page_.Execute(add)) << add;
  sink_.frame = 4;  // the host's seek has landed
  page_.ClickCrashPoint(0);
  ASSERT_EQ(sink_.clicks.size(), 1u);
  EXPECT_EQ(sink_.clicks[0].ifile, 1);
  EXPECT_EQ(sink_.clicks[0].igrid, 2);
  EXPECT_EQ(sink_.clicks[0].ipos, 345);
  EXPECT_EQ(sink_.clicks[0].valid, GetParam().valid);
  EXPECT_DOUBLE_EQ(sink_.clicks[0].lat, GetParam().lat);
  EXPECT_DOUBLE_EQ(sink_.clicks[0].lng, GetParam().lng);
  EXPECT_DOUBLE_EQ(sink_.clicks[0].speed, 40.0);
  EXPECT_DOUBLE_EQ(sink_.clicks[0].direction, 90.0);
  const int index = GetParam().moves ? 3 : 0;
  EXPECT_DOUBLE_EQ(page_.model().marker()->lat, sink_.grid->at(index).latitude);
}

INSTANTIATE_TEST_SUITE_P(Points, NativeMapPageClickTest,
                         testing::Values(ClickRow{"NorthEast", 35.5, 139.25, 1, true},
                                         ClickRow{"SouthWest", -33.9, -70.6, 1, true},
                                         ClickRow{"SouthEast", -33.9, 151.2, 1, true},
                                         ClickRow{"NoFix", 35.5, 139.25, 0, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(NativeMapPageTest, AClickOnAMarkerThatIsGoneDoesNothing) {
  page_.ClickCrashPoint(0);
  EXPECT_TRUE(sink_.clicks.empty());
}

TEST_F(NativeMapPageTest, GarbageStatementsChangeNothing) {
  sink_.group = Track(3, 35.5, 139.25);
  EXPECT_FALSE(page_.Execute("orbitgrplist.CreateLine();"));
  EXPECT_FALSE(page_.Execute("cplist.AddCrashPos(2,0.1)"));
  EXPECT_FALSE(page_.Execute("location.href='http://example.invalid/'"));
  EXPECT_TRUE(page_.model().Lines().empty());
  EXPECT_TRUE(page_.model().crash_points().empty());
}

}  // namespace
}  // namespace mapview
