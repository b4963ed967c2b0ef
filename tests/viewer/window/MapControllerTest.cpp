#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "RecordingOpening.h"
#include "library/SourceWatcher.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/skin/CLogoDlg.h"
#include "viewer/window/FullscreenController.h"
#include "viewer/window/MapController.h"
#include "viewer/window/MapWindowFactory.h"
#include "viewer/window/ViewModes.h"

namespace viewer {
namespace {

// A map window that keeps what it is told; its page is "ready" when the
// test says so.
class FakeMapWindow : public QWidget, public mapview::MapWindow {
 public:
  FakeMapWindow(QWidget* parent, MapWindowKind kind, mapview::MapSink* sink, std::function<void()> engine_failed)
      : QWidget(parent), kind(kind), sink(sink), engine_failed(std::move(engine_failed)) {}

  void ExecScript(const std::string& statement) override { statements.push_back(statement); }
  void UpdateData(double lat_, double lng_, const std::string& status_text) override {
    lat = lat_;
    lng = lng_;
    status = status_text;
  }
  bool PostWebMessage(const std::string& json) override {
    messages.push_back(json);
    return true;
  }
  void SetOnlineMark(bool) override {}
  void ShowMapWindow(bool show) override { setVisible(show); }
  bool IsMapWindowVisible() const override { return !isHidden(); }

  MapWindowKind kind;
  mapview::MapSink* sink;
  std::function<void()> engine_failed;
  std::vector<std::string> statements, messages;
  double lat = 0.0, lng = 0.0;
  std::string status = "unset";
};

class MapInWindow : public RecordingOpening {
 protected:
  void SetUp() override {
    RecordingOpening::SetUp();
    window_.map().UseFactory([this](MapWindowKind kind, QWidget* parent, mapview::MapSink* sink,
                                    std::function<void()> engine_failed) {
      auto window = std::make_unique<FakeMapWindow>(parent, kind, sink, std::move(engine_failed));
      made_.push_back(window.get());
      mapview::MapWindow* map = window.get();
      return CreatedMapWindow{std::move(window), map};
    }, MapWindowKind::kWeb);
  }
  FakeMapWindow& Map() { return *made_.back(); }
  // The page of the current map window has built its map.
  void PageReady() {
    Map().sink->OnInitHtml();
    QApplication::processEvents();
  }
  // The fix the data gives the frame, or none.
  std::optional<std::pair<double, double>> FixOfFrame(int frame) {
    std::optional<std::pair<double, double>> fix;
    window_.views().reading_view().ReadSensorData([&](const recording::SensorDataFile& data) {
      const recording::AccelSample* sample = data.SampleAtFrame(frame);
      if (sample != nullptr && sample->gps_link != nullptr && sample->gps_link->fix_valid != 0) {
        fix.emplace(sample->gps_link->latitude, sample->gps_link->longitude);
      }
    });
    return fix;
  }
  // A click on an event marker at frame; true when the front view shows it.
  bool ClickCrashPoint(int frame) {
    Map().sink->OnClickCrashPoint(0, 0, frame, 1, 0.0, 0.0, 0.0, 0.0);
    return WaitUntil([&] { return FrontStrip() == frame; });
  }
  bool Pause() {
    window_.OnCommand(CommandOf(Control::kPlay));
    return window_.views().state() == player::MovieView::ViewState::kPaused;
  }
  bool MapVisible() { return window_.map().map_widget()->isVisible(); }

  std::vector<FakeMapWindow*> made_;
};

// Every GPS record of the card's recordings, as the group track holds them.
std::size_t GroupFixes(const std::vector<samplecard::WrittenRecording>& card) {
  std::size_t fixes = 0;
  for (const auto& r : card) {
    std::vector<recording::GpsSample> one;
    recording::LoadRoute({r.main_path}, &one);
    fixes += one.size();
  }
  return fixes;
}

std::vector<std::string> ReloadOf(int index) {
  return {"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()", "orbitgrplist.CreateLine()",
          "orbitgrplist.CreateGridLine(" + std::to_string(index) + ")"};
}

TEST_F(MapInWindow, PageReadyDrawsTheGroupAndTheCurrentRecording) {
  const auto card = CardOf(3, 2);
  const std::size_t fixes = GroupFixes(card);
  ASSERT_TRUE(PlayCard(card));
  // The group track is every recording of the list, read in the background.
  ASSERT_TRUE(WaitUntil([&] { return window_.map().wrap().GetGPSData().size() == fixes; }));
  QApplication::processEvents();
  EXPECT_TRUE(Map().statements.empty()) << "nothing before the page is ready";
  PageReady();
  EXPECT_EQ(Map().statements, ReloadOf(RowOf(card.front().main_path)));
  std::vector<recording::GpsSample> first;
  recording::LoadRoute({card.front().main_path}, &first);
  const auto grid = window_.map().wrap().GetGridData();
  ASSERT_TRUE(grid.has_value());
  ASSERT_EQ(grid->size(), first.size());
  EXPECT_EQ(grid->back().latitude, first.back().latitude);
}

TEST_F(MapInWindow, EveryRecordingStartReloads) {
  const auto card = CardOf(3, 2);
  ASSERT_TRUE(PlayCard(card));
  PageReady();
  Map().statements.clear();
  const int second = RowOf(card[1].main_path);
  Select(second);
  ASSERT_TRUE(WaitUntilPlaying(card[1].main_path));
  const auto expected = ReloadOf(second);
  ASSERT_GE(Map().statements.size(), expected.size());
  EXPECT_TRUE(std::search(Map().statements.begin(), Map().statements.end(), expected.begin(), expected.end()) !=
              Map().statements.end());
}

TEST_F(MapInWindow, ANewListReplacesTheGroupTrack) {
  const auto first = CardOf(2, 2);
  ASSERT_TRUE(PlayCard(first));
  PageReady();
  ASSERT_TRUE(WaitUntil([&] { return window_.map().wrap().GetGPSData().size() == GroupFixes(first); }));
  samplecard::CardOptions options;
  options.recordings = 4;
  options.seconds = 2;
  options.seed = 7;
  const auto second = player::screen::MakeCard(options);
  ASSERT_NE(GroupFixes(second), GroupFixes(first));
  Map().statements.clear();
  OpenCard(second);
  ASSERT_TRUE(WaitUntil([&] { return window_.map().wrap().GetGPSData().size() == GroupFixes(second); }));
  QApplication::processEvents();
  // Drawn again at once (the old track goes) and when the new one is read.
  EXPECT_GE(std::count(Map().statements.begin(), Map().statements.end(), "orbitgrplist.CreateLine()"), 2);
}

TEST_F(MapInWindow, ALostSourceClearsTheMap) {
  const auto card = CardOf(2, 2);
  ASSERT_TRUE(PlayCard(card));
  PageReady();
  ASSERT_TRUE(WaitUntil([&] { return window_.map().wrap().GetGPSData().size() == GroupFixes(card); }));
  ASSERT_TRUE(MapVisible());
  Map().statements.clear();
  window_.OnMessage({library::kMessageSourceLost, 0, 0});
  QApplication::processEvents();
  EXPECT_TRUE(window_.map().wrap().GetGPSData().empty());
  EXPECT_FALSE(window_.map().wrap().GetGridData().has_value());
  EXPECT_EQ(Map().sink->GetRelJpgNum(), -1);
  EXPECT_FALSE(MapVisible());
  EXPECT_TRUE(window_.logo()->isVisible());
  // The page draws the emptied tracks again.
  EXPECT_NE(std::find(Map().statements.begin(), Map().statements.end(), "orbitgrplist.CreateLine()"),
            Map().statements.end());
}

TEST_F(MapInWindow, ShutdownLetsTheMapGo) {
  const auto card = CardOf(2, 2);
  ASSERT_TRUE(PlayCard(card));
  window_.Shutdown();
  EXPECT_EQ(window_.map().map_widget(), nullptr);
  EXPECT_TRUE(window_.map().wrap().GetGPSData().empty());
  EXPECT_FALSE(window_.map().wrap().SetSend()) << "no window to send to";
}

TEST_F(MapInWindow, PositionIsTheFixOfTheFrameOnScreen) {
  const auto card = CardOf(2, 3);
  ASSERT_TRUE(PlayCard(card));
  ASSERT_TRUE(Pause());
  for (int frame : {24, 61}) {
    ASSERT_TRUE(ClickCrashPoint(frame)) << "the click seeks to " << frame;
    const auto fix = FixOfFrame(FrontStrip());
    ASSERT_TRUE(fix.has_value());
    EXPECT_EQ(Map().lat, fix->first) << frame;
    EXPECT_EQ(Map().lng, fix->second) << frame;
    EXPECT_EQ(Map().sink->GetRelJpgNum(), frame);
    EXPECT_TRUE(MapVisible());
    EXPECT_FALSE(window_.logo()->isVisible());
  }
  // The page reads the same position in its status message.
  ASSERT_TRUE(Map().sink->SetSend());
  EXPECT_NE(Map().messages.back().find("\"map_status\":\"pause\""), std::string::npos) << Map().messages.back();
}

TEST_F(MapInWindow, AClickOutsideTheRecordingStaysInside) {
  const auto card = CardOf(2, 2);
  ASSERT_TRUE(PlayCard(card));
  ASSERT_TRUE(Pause());
  ASSERT_TRUE(ClickCrashPoint(20));
  Map().sink->OnClickCrashPoint(0, 0, 1 << 30, 1, 0.0, 0.0, 0.0, 0.0);
  EXPECT_TRUE(WaitUntil([&] { return FrontStrip() == card.front().main_frames - 1; })) << FrontStrip();
  Map().sink->OnClickCrashPoint(0, 0, -7, 1, 0.0, 0.0, 0.0, 0.0);
  EXPECT_TRUE(WaitUntil([&] { return FrontStrip() == 0; })) << FrontStrip();
}

TEST_F(MapInWindow, PlayStateTexts) {
  const auto card = CardOf(2, 3);
  ASSERT_TRUE(PlayCard(card));
  PageReady();
  EXPECT_EQ(Map().status, "");
  ASSERT_TRUE(Pause());
  EXPECT_EQ(Map().status, "pause");
  window_.OnCommand(CommandOf(Control::kPlay));
  EXPECT_EQ(Map().status, "");
  Map().statements.clear();
  window_.OnCommand(CommandOf(Control::kFirst));
  EXPECT_EQ(Map().status, "stop");
  EXPECT_EQ(Map().statements, std::vector<std::string>{"orbitgrplist.MoveMarker()"});
  EXPECT_EQ(Map().sink->GetRelJpgNum(), 0);
}

TEST_F(MapInWindow, AFrameWithoutAFixHidesTheMap) {
  samplecard::CardOptions options;
  options.recordings = 2;
  options.seconds = 3;
  options.no_fix_from = 8;
  options.no_fix_records = 6;
  const auto card = player::screen::MakeCard(options);
  ASSERT_TRUE(PlayCard(card));
  ASSERT_TRUE(Pause());
  // Where the data has no fix for the frame (the receiver's lag moves it
  // past the records themselves).
  int gap = -1, after = -1;
  for (int f = 0; f < card.front().main_frames && after < 0; ++f) {
    const bool fix = FixOfFrame(f).has_value();
    if (!fix && gap < 0) gap = f;
    if (fix && gap >= 0) after = f;
  }
  ASSERT_GT(gap, 0);
  ASSERT_GT(after, gap + 2);
  ASSERT_TRUE(ClickCrashPoint(gap - 1));
  EXPECT_TRUE(MapVisible());
  const double lat = Map().lat;
  ASSERT_TRUE(ClickCrashPoint((gap + after) / 2));
  EXPECT_FALSE(MapVisible());
  EXPECT_TRUE(window_.logo()->isVisible()) << "the logo takes the map's place";
  EXPECT_EQ(Map().lat, lat) << "no position without a fix";
  ASSERT_TRUE(ClickCrashPoint(after + 2));
  EXPECT_TRUE(MapVisible());
  EXPECT_FALSE(window_.logo()->isVisible());
  EXPECT_EQ(Map().lat, FixOfFrame(after + 2)->first);
  EXPECT_NE(Map().lat, lat) << "the map shows the new fix";
}

TEST_F(MapInWindow, UndecodableDataHidesTheMap) {
  const auto card = CardOf(2, 2);
  std::filesystem::resize_file(card[1].data_path, 40);
  ASSERT_TRUE(PlayCard(card));
  EXPECT_TRUE(MapVisible());
  Select(RowOf(card[1].main_path));
  ASSERT_TRUE(WaitUntilPlaying(card[1].main_path));
  EXPECT_FALSE(MapVisible());
  EXPECT_FALSE(window_.map().wrap().GetGridData().has_value());
}

TEST_F(MapInWindow, FullscreenHidesTheMapAndLeavingShowsIt) {
  const auto card = CardOf(2, 3);
  ASSERT_TRUE(PlayCard(card));
  ASSERT_TRUE(MapVisible());
  ASSERT_TRUE(window_.view_modes().fullscreen().Enter());
  EXPECT_FALSE(MapVisible());
  window_.view_modes().fullscreen().Leave();
  EXPECT_TRUE(MapVisible());
  EXPECT_FALSE(window_.logo()->isVisible());
}

TEST_F(MapInWindow, EngineFailureSwapsInTheNativeWindow) {
  const auto card = CardOf(2, 3);
  ASSERT_TRUE(PlayCard(card));
  PageReady();
  ASSERT_TRUE(Pause());
  ASSERT_TRUE(ClickCrashPoint(33));
  ASSERT_EQ(made_.size(), 1U);
  ASSERT_EQ(Map().kind, MapWindowKind::kWeb);
  const double lat = Map().lat;
  Map().engine_failed();
  QApplication::processEvents();
  ASSERT_EQ(made_.size(), 2U);
  FakeMapWindow& native = Map();
  EXPECT_EQ(native.kind, MapWindowKind::kNative);
  EXPECT_EQ(native.lat, lat) << "the position carries over";
  EXPECT_EQ(native.status, "pause");
  EXPECT_TRUE(MapVisible());
  EXPECT_EQ(window_.map().map_widget()->geometry().size(), QSize(452, 368));
  EXPECT_FALSE(window_.map().wrap().page_ready()) << "the native page reports ready itself";
  EXPECT_TRUE(native.statements.empty());
  PageReady();
  EXPECT_EQ(native.statements, ReloadOf(RowOf(card.front().main_path)));
}

}  // namespace
}  // namespace viewer
