#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "RecordingOpening.h"
#include "library/RecordingNames.h"
#include "mapview/ui/CGSensorDlg.h"
#include "mapview/ui/CInfoDlg.h"
#include "player/PlayerMessages.h"
#include "viewer/commands/RecordingLoader.h"
#include "viewer/skin/UiQText.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST_F(RecordingOpening, ASelectedRowOpensAfterTheDelayAndPlays) {
  OpenCard(CardOf(2, 2.0));
  ASSERT_FALSE(Rows().empty());

  Select(1);
  EXPECT_TRUE(window_.opener().open_delay_running());
  EXPECT_LT(FrontStrip(), 0) << "nothing is shown before the delay runs out";
  const int first = WaitForPlayback();
  ASSERT_GE(first, 0) << "the recording neither showed nor played";
  EXPECT_LT(first, 10) << "playback starts at the beginning of the recording";
  EXPECT_EQ(window_.opener().opened().string(), Rows()[1].path) << "the first row, opened with the card, was opened too";
  EXPECT_TRUE(WaitUntil([&] { return window_.loaded(); })) << "the sensor data never arrived";
}

TEST_F(RecordingOpening, ClickingThroughRowsOpensOnlyTheLast) {
  OpenCard(CardOf(6, 2.0));
  ASSERT_GE(Rows().size(), 5u);

  const fs::path last = Rows()[4].path;
  for (int row = 0; row < 5; ++row) Select(row);
  bool only_last = true;
  EXPECT_TRUE(WaitUntil([&] {
    const fs::path& opened = window_.opener().opened();
    if (!opened.empty() && opened != last) only_last = false;
    return window_.views().media_ready();
  }));
  EXPECT_TRUE(only_last) << "an earlier row was opened";
  EXPECT_EQ(window_.opener().opened().string(), last.string());
  EXPECT_GE(WaitForPlayback(), 0);
}

TEST_F(RecordingOpening, ABrokenRecordingDoesNotStopTheNextFromPlaying) {
  const auto card = CardOf(2, 2.0);
  OpenCard(card);
  const int broken = RowOf(card[0].main_path);
  const int good = RowOf(card[1].main_path);
  ASSERT_GE(broken, 0);
  ASSERT_GE(good, 0);
  Break(card[0]);

  Select(broken);
  ASSERT_TRUE(WaitUntil([&] { return window_.opener().opened() == card[0].main_path && window_.opener().sequence().ready(); }))
      << "the failed open left the gate closed";
  EXPECT_FALSE(window_.views().media_ready());

  EXPECT_EQ(BoxTexts(), std::vector<QString>{UiQText(99)}) << "a recording the user chose that fails says so, once";

  Select(good);
  EXPECT_GE(WaitForPlayback(), 0) << "the good recording did not play after the broken one";
  EXPECT_EQ(window_.opener().opened().string(), card[1].main_path.string());
}

// A ready, a data-loaded and an end still queued for the recording before a
// quick re-select: none of them may open, load or move on for the new one.
TEST_F(RecordingOpening, StaleMessagesAfterAQuickReselectAreDropped) {
  const auto card = CardOf(3, 3.0);
  ASSERT_TRUE(PlayCard(card));
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  const std::uint32_t old = window_.opener().sequence().generation();

  Select(1);
  for (const std::uint32_t message : {player::WM_PLAYER_READY, kMessageDataLoaded, player::WM_PLAYER_ENDED}) {
    window_.OnMessage({message, old, 1});
  }
  EXPECT_FALSE(window_.loaded()) << "the old data counted for the new selection";
  EXPECT_TRUE(window_.opener().open_delay_running()) << "a stale ready cut the delay short";
  EXPECT_EQ(window_.filer()->current_row(), 1) << "a stale end moved on";

  ASSERT_TRUE(WaitUntilPlaying(card[1].main_path));
  // Once the new recording plays, the old end still moves nothing.
  window_.OnMessage({player::WM_PLAYER_ENDED, old, 0});
  QTest::qWait(700);
  EXPECT_EQ(window_.filer()->current_row(), 1);
  EXPECT_EQ(window_.opener().opened(), card[1].main_path);
  EXPECT_FALSE(window_.opener().open_delay_running());
}

// B is selected while A's players are still opening: A's ready is stale,
// gives the gate back, and B opens and plays.
TEST_F(RecordingOpening, SelectingBWhileAIsOpeningPlaysB) {
  const auto card = CardOf(3, 2.0);
  ASSERT_TRUE(PlayCard(card));

  // B is chosen the moment A's first ready arrives, before it is handled.
  auto b_selected = std::make_shared<bool>(false);
  window_.on_message = [this, b_selected, a = card[1].main_path,
                        next = std::move(window_.on_message)](const platform::Message& m) {
    if (m.message == player::WM_PLAYER_READY && !*b_selected && window_.opener().opened() == a) {
      *b_selected = true;
      Select(2);
    }
    next(m);
  };
  Select(1);
  EXPECT_TRUE(WaitUntilPlaying(card[2].main_path)) << "B did not play";
  EXPECT_TRUE(*b_selected);
  EXPECT_EQ(window_.filer()->current_row(), 2);
}

TEST_F(RecordingOpening, ThePlayCommandTogglesPlayAndPause) {
  ASSERT_TRUE(PlayCard(CardOf(2, 4.0)));

  window_.OnCommand(CommandOf(Control::kPlay));
  ASSERT_EQ(window_.views().state(), player::MovieView::ViewState::kPaused);
  // Paused: the picture holds still.
  int held = FrontStrip();
  QTest::qWait(50);
  held = FrontStrip();
  QTest::qWait(200);
  EXPECT_EQ(FrontStrip(), held);

  window_.OnCommand(CommandOf(Control::kPlay));
  EXPECT_TRUE(WaitUntil([&] { return FrontStrip() > held + 3; })) << "play did not resume";
}

// Pixels of the X trace's colour right of the graph's axis picture.
int XTracePixels(mapview::CGSensorDlg& graph) {
  const QImage image = graph.grab().toImage();
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 51; x < image.width(); ++x) n += image.pixel(x, y) == qRgb(0, 255, 0);
  }
  return n;
}

TEST_F(RecordingOpening, TheGraphDrawsTheLoadedRecordingsDataAndFollowsTheAxisButtons) {
  OpenCard(CardOf(1, 2.0));
  ASSERT_FALSE(Rows().empty());
  mapview::CGSensorDlg& graph = *window_.graph();
  EXPECT_EQ(XTracePixels(graph), 0);

  Select(0);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  EXPECT_EQ(graph.series().frame_count(), window_.views().FrameCount());
  EXPECT_GT(graph.series().sample_count(), 10);
  EXPECT_GT(XTracePixels(graph), 20);

  // The info panel's X button off hides the X trace.
  window_.sink().Post(0x82BD, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !graph.detectors().Shown(0, mapview::DetectorTable::Use::kGraph); }));
  EXPECT_EQ(XTracePixels(graph), 0);
}

TEST_F(RecordingOpening, ARecordingWhoseDataDoesNotDecodeShowsNoneNotThePreviousOnes) {
  const auto card = CardOf(2, 2.0);
  OpenCard(card);
  const int first = RowOf(card[0].main_path);
  const int corrupt = RowOf(card[1].main_path);
  ASSERT_GE(first, 0);
  ASSERT_GE(corrupt, 0);
  {
    std::ofstream out(card[1].data_path, std::ios::binary | std::ios::in | std::ios::out);
    out << "NOTDAT";  // the file's mark gone
  }
  mapview::CGSensorDlg& graph = *window_.graph();
  Select(first);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  ASSERT_GT(XTracePixels(graph), 20);

  Select(corrupt);
  ASSERT_TRUE(WaitUntil([&] { return window_.opener().opened() == card[1].main_path && window_.loaded(); }));
  EXPECT_EQ(graph.series().frame_count(), 0);
  EXPECT_EQ(XTracePixels(graph), 0);
  EXPECT_FALSE(window_.views().reading_view().sensor_data().loaded());
}

// The info panel learns the loaded recording's start (from its name), frame
// interval and time-lapse flag (the data's rate letter, "T") with its data.
class InfoPanelRecording : public RecordingOpening, public ::testing::WithParamInterface<int> {};

TEST_P(InfoPanelRecording, TakenWhenTheDataIsLoaded) {
  samplecard::CardOptions options;
  options.recordings = 1;
  options.seconds = 2.0;
  options.fps = 30.0;
  options.sensor_hz = GetParam();
  const auto card = player::screen::MakeCard(options);
  OpenCard(card);
  ASSERT_FALSE(Rows().empty());
  Select(0);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); })) << "the sensor data never arrived";
  const mapview::InfoRecording& r = window_.info()->recording();
  EXPECT_TRUE(r.time_valid);
  EXPECT_EQ(r.start, library::TimeOfName(fs::path(Rows()[0].path).filename().string()));
  EXPECT_NE(r.start.year, 0);
  EXPECT_FLOAT_EQ(r.frame_interval_ms, 1000.0F / 30.0F);
  EXPECT_EQ(r.time_lapse, GetParam() == 15) << "the rate letter T marks the time-lapse recording";
}

INSTANTIATE_TEST_SUITE_P(RateLetters, InfoPanelRecording, ::testing::Values(10, 15),
                         [](const auto& info) { return info.param == 15 ? "T" : "N"; });

}  // namespace
}  // namespace viewer
