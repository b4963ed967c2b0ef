#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "../../player/ScreenReading.h"
#include "TestFiles.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/window/CQuorbexDlg.h"
#include "viewer/window/RecordingOpener.h"
#include "WindowUnderTest.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class RecordingOpening : public CardWindow {};

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

}  // namespace
}  // namespace viewer
