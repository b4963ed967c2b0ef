#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "../../player/ScreenReading.h"
#include "TestFiles.h"
#include "library/RecordingNames.h"
#include "library/ui/CFilerContainerDlg.h"
#include "mapview/ui/CInfoDlg.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"
#include "WindowUnderTest.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Runs the window's event loop until done holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    QTest::qWait(5);
  }
  return true;
}

class RecordingOpening : public WindowUnderTest {
 protected:
  void SetUp() override {
    WindowUnderTest::SetUp();
    // The deferred initialisation reloads the last source; let it run before
    // a card is opened.
    QApplication::processEvents();
  }
  void TearDown() override {
    window_.Shutdown();
    WindowUnderTest::TearDown();
  }
  void OpenCard(const std::vector<samplecard::WrittenRecording>& card) {
    window_.filer()->OpenSource(CardRootOf(card.front().main_path), library::SourceKind::kCard);
  }
  const std::vector<library::RecordingEntry>& Rows() const { return window_.filer()->list()->rows(); }
  int RowOf(const fs::path& path) const {
    for (std::size_t i = 0; i < Rows().size(); ++i) {
      if (fs::path(Rows()[i].path) == path) return static_cast<int>(i);
    }
    return -1;
  }
  void Select(int row) { window_.filer()->list()->on_row_selected(row); }
  int FrontStrip() { return player::screen::StripOnScreen(window_.views().view(player::ViewPair::kFront)); }
  // Waits for the front view to show a picture of the recording, then for
  // playback to move past it; the frame first seen, or -1.
  int WaitForPlayback() {
    int first = -1;
    if (!WaitUntil([&] { return (first = FrontStrip()) >= 0; })) return -1;
    if (!WaitUntil([&] { return FrontStrip() > first + 5; })) return -1;
    return first;
  }
};

TEST_F(RecordingOpening, ASelectedRowOpensAfterTheDelayAndPlays) {
  samplecard::CardOptions options;
  options.recordings = 2;
  options.seconds = 2.0;
  OpenCard(player::screen::MakeCard(options));
  ASSERT_FALSE(Rows().empty());

  Select(0);
  EXPECT_TRUE(window_.opener().open_delay_running());
  EXPECT_LT(FrontStrip(), 0) << "nothing is shown before the delay runs out";
  const int first = WaitForPlayback();
  ASSERT_GE(first, 0) << "the recording neither showed nor played";
  EXPECT_LT(first, 10) << "playback starts at the beginning of the recording";
  EXPECT_EQ(window_.opener().opened().string(), Rows()[0].path);
  EXPECT_TRUE(WaitUntil([&] { return window_.loaded(); })) << "the sensor data never arrived";
}

TEST_F(RecordingOpening, ClickingThroughRowsOpensOnlyTheLast) {
  samplecard::CardOptions options;
  options.recordings = 6;
  options.seconds = 2.0;
  OpenCard(player::screen::MakeCard(options));
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
  samplecard::CardOptions options;
  options.recordings = 2;
  options.seconds = 2.0;
  const auto card = player::screen::MakeCard(options);
  OpenCard(card);
  const int broken = RowOf(card[0].main_path);
  const int good = RowOf(card[1].main_path);
  ASSERT_GE(broken, 0);
  ASSERT_GE(good, 0);
  // Cut short to a few kilobytes: no picture decodes from either camera.
  for (const fs::path& p : {card[0].main_path, card[0].sub_path}) fs::resize_file(p, 4096);

  Select(broken);
  ASSERT_TRUE(WaitUntil([&] { return window_.opener().opened() == card[0].main_path && window_.opener().sequence().ready(); }))
      << "the failed open left the gate closed";
  EXPECT_FALSE(window_.views().media_ready());

  Select(good);
  EXPECT_GE(WaitForPlayback(), 0) << "the good recording did not play after the broken one";
  EXPECT_EQ(window_.opener().opened().string(), card[1].main_path.string());
}

TEST_F(RecordingOpening, ThePlayCommandTogglesPlayAndPause) {
  samplecard::CardOptions options;
  options.recordings = 2;
  options.seconds = 4.0;
  OpenCard(player::screen::MakeCard(options));
  Select(0);
  ASSERT_GE(WaitForPlayback(), 0);
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));

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
