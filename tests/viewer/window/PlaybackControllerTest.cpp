#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "../../player/ScreenReading.h"
#include "WindowUnderTest.h"
#include "mapview/GraphScale.h"
#include "mapview/PanelText.h"
#include "mapview/ui/CGSensorDlg.h"
#include "mapview/ui/CInfoDlg.h"
#include "player/ErrorReporter.h"
#include "player/RateTables.h"
#include "recording/SensorDataFile.h"
#include "viewer/commands/CommandGuard.h"
#include "viewer/settings/UiTextTable.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/PlaybackController.h"
#include "viewer/window/RecordingOpener.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using player::screen::FramesOutside;
using player::screen::RearFrameOfMoment;
using player::screen::StarvedLagFrames;
using player::screen::StripOnScreen;
using player::screen::WaitForStrip;

constexpr int kGop = 10;

// The window on timers the test fires: the open delay, the tick and the
// debounces run when the test says, so each step is seen on its own.
class PlaybackInWindow : public CardWindow {
 protected:
  void SetUp() override {
    CardWindow::SetUp();
    window_.timers().UseHost(timers_);
    // Seen here and passed on to the info panel.
    auto& show = window_.playback().sync_views().show_speed_text;
    show = [this, next = std::move(show)](std::string_view text) {
      speed_text_ = std::string(text);
      if (next) next(text);
    };
  }

  // A card of recordings of that length, the rear camera at 15 fps, a key
  // frame every kGop frames.
  const std::vector<samplecard::WrittenRecording>& Card(double seconds, int height = 180) {
    samplecard::CardOptions options;
    options.recordings = 2;
    options.width = height * 16 / 9;
    options.height = height;
    options.seconds = seconds;
    options.gop = kGop;
    options.sub_fps = 15.0;
    card_ = player::screen::MakeCard(options);
    OpenCard(card_);
    return card_;
  }
  // Selects the row, lets the delay run out, waits for the data and has it
  // playing. Listing the card already chose its first row, which opens
  // stopped at its start as a folder the user picks does; clicking on it
  // again changes nothing, so it is played by the play button.
  ::testing::AssertionResult OpenRow(int row) {
    Select(row);
    if (!timers_.Fire(WindowTimers::kOpenDelay)) return ::testing::AssertionFailure() << "no open delay";
    if (!WaitUntil([&] { return window_.loaded(); })) return ::testing::AssertionFailure() << "never loaded";
    if (State() != PlayState::kPlaying) window_.OnCommand(CommandOf(Control::kPlay));
    if (State() != PlayState::kPlaying) return ::testing::AssertionFailure() << "not playing";
    return ::testing::AssertionSuccess();
  }
  int Frames() const { return card_.front().main_frames; }
  int Slider() const { return window_.position_slider()->value(); }
  int RearOf(int front_frame) const { return RearFrameOfMoment(front_frame, 30.0, 15.0); }
  bool Enabled(Control c) const { return window_.bar_button(static_cast<int>(c))->isEnabled(); }
  PlayState State() { return static_cast<PlayState>(window_.views().state()); }
  void Message(std::uint32_t message, std::intptr_t lparam) {
    window_.OnMessage({message, static_cast<std::uintptr_t>(kPositionSliderId), lparam});
  }

  // What one tick showed: the front strip before and after it, the rear
  // strip, the slider.
  struct TickSeen {
    int front_before, front_after, rear, slider;
    bool held;
  };
  TickSeen Tick() {
    TickSeen seen{};
    seen.front_before = FrontStrip();
    timers_.Fire(WindowTimers::kPlaybackTick);
    seen.rear = StripOnScreen(Rear());
    seen.front_after = FrontStrip();
    seen.slider = Slider();
    seen.held = window_.held();
    return seen;
  }
  // Ticks every 30 ms until the front view shows until_frame or later.
  std::vector<TickSeen> TickUntil(int until_frame) {
    std::vector<TickSeen> ticks;
    const auto give_up = std::chrono::steady_clock::now() + 8s;
    while (std::chrono::steady_clock::now() < give_up) {
      QTest::qWait(30);
      ticks.push_back(Tick());
      if (ticks.back().front_after >= until_frame) break;
    }
    return ticks;
  }

  ManualTimerHost& timers_ = manual_timers_;
  std::vector<samplecard::WrittenRecording> card_;
  std::string speed_text_ = "unset";
};

TEST_F(PlaybackInWindow, TheMissingDecoderTextIsPublishedAtStartUp) {
  EXPECT_EQ(player::ErrorText(player::VFW_E_NO_DECODER), std::string(UiText(114)));
}

TEST_F(PlaybackInWindow, DataLoadedStartsTheTickAtThirtyMilliseconds) {
  Card(2.0, 360);
  Select(0);
  EXPECT_TRUE(window_.opener().waiting());
  EXPECT_EQ(window_.cursor().shape(), Qt::WaitCursor) << "the wait cursor shows while the open is in flight";
  EXPECT_FALSE(Enabled(Control::kPlay)) << "the bar is held while opening";
  EXPECT_FALSE(timers_.IsActive(WindowTimers::kPlaybackTick));
  ASSERT_TRUE(timers_.Fire(WindowTimers::kOpenDelay));
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded(); }));
  EXPECT_EQ(timers_.PeriodOf(WindowTimers::kPlaybackTick), 30);
  EXPECT_FALSE(window_.opener().waiting());
  EXPECT_EQ(window_.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(timers_.IsActive(WindowTimers::kWaitLimit));
  EXPECT_EQ(window_.position_slider()->value(), 0);
  EXPECT_EQ(speed_text_, "") << "normal speed has no speed text";
  const library::RecordingEntry& entry = Rows()[static_cast<std::size_t>(window_.filer()->current_row())];
  EXPECT_EQ(entry.quality_code, 1) << "360 lines with the data's quality letter H";
  EXPECT_NEAR(entry.frame_period, 1000.0f / 30.0f, 0.01f);

  // Another selection stops following the old recording at once.
  Select(1);
  ASSERT_TRUE(timers_.Fire(WindowTimers::kOpenDelay));
  EXPECT_FALSE(timers_.IsActive(WindowTimers::kPlaybackTick));
}

TEST_F(PlaybackInWindow, TheWaitLimitGivesTheControlsBack) {
  Card(2.0);
  Select(0);
  ASSERT_TRUE(window_.opener().waiting());
  EXPECT_EQ(timers_.PeriodOf(WindowTimers::kWaitLimit), 5000);
  ASSERT_TRUE(timers_.Fire(WindowTimers::kWaitLimit));
  EXPECT_FALSE(window_.opener().waiting());
  EXPECT_FALSE(window_.held());
  EXPECT_EQ(window_.cursor().shape(), Qt::ArrowCursor);
}

struct Speed {
  const char* name;
  int presses;  // fast-forward presses from normal speed
  int level;
  bool key_frames_only;
};
void PrintTo(const Speed& s, std::ostream* out) { *out << s.name; }

class TickAtSpeed : public PlaybackInWindow, public ::testing::WithParamInterface<Speed> {
 protected:
  void SpeedUp() {
    for (int i = 0; i < GetParam().presses; ++i) {
      window_.OnCommand(CommandOf(Control::kFastForward));
      timers_.Fire(WindowTimers::kSpeedSettle);
      timers_.Fire(WindowTimers::kSpeedDebounce);
    }
    ASSERT_EQ(window_.views().rate_code(), GetParam().level);
  }
  // A bound for single ticks only: the share of ticks in step is what
  // checks the views keep together.
  int LagFrames(double fps) const { return StarvedLagFrames(player::SpeedOfRateCode(GetParam().level, false), fps); }
};

TEST_P(TickAtSpeed, TheSliderFollowsTheFrontPictureEveryTick) {
  Card(4.0);
  ASSERT_TRUE(OpenRow(0));
  ASSERT_EQ(State(), PlayState::kPlaying);
  SpeedUp();
  // Key frames only at x4: each view shows the key frame last passed, so a
  // picture may be a key-frame interval (kGop frames of its own camera)
  // behind.
  const int gop = GetParam().key_frames_only ? kGop : 0;
  const std::vector<TickSeen> ticks = TickUntil(Frames() - 1 - gop);
  ASSERT_GT(ticks.size(), 5u);
  // Each tick may see a view late by what a busy machine delays a picture;
  // most ticks see them in step.
  int moved = 0, slider_in_step = 0, rear_in_step = 0;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const TickSeen& t = ticks[i];
    ASSERT_GE(t.front_before, 0);
    ASSERT_GE(t.rear, 0);
    const int low = std::min(t.front_before, t.front_after), high = std::max(t.front_before, t.front_after);
    if (low <= 0) continue;  // the tick moves nothing until the player is past frame 0
    ++moved;
    const int slider_off = FramesOutside(t.slider, low - gop, high + gop);
    const int rear_off = FramesOutside(t.rear, RearOf(std::max(0, low - gop)) - gop - 1, RearOf(high + gop) + 1);
    slider_in_step += slider_off == 0;
    rear_in_step += rear_off == 0;
    EXPECT_LE(slider_off, LagFrames(30.0)) << "slider " << t.slider << " with the front at " << t.front_before
                                           << ".." << t.front_after << " at tick " << i;
    EXPECT_LE(rear_off, LagFrames(15.0)) << "rear " << t.rear << " with the front at " << low << ".." << high
                                         << " at tick " << i;
  }
  EXPECT_GT(moved, 3) << "too few ticks while playing";
  EXPECT_GE(2 * slider_in_step, moved) << "the slider was off the front picture at most ticks";
  EXPECT_GE(2 * rear_in_step, moved) << "the rear was off the front's moment at most ticks";
}

const Speed kSpeeds[] = {{"Normal", 0, 1, false}, {"Double", 1, 2, false}, {"FourTimesKeyFramesOnly", 2, 4, true}};
INSTANTIATE_TEST_SUITE_P(Speeds, TickAtSpeed, ::testing::ValuesIn(kSpeeds),
                         [](const auto& info) { return std::string(info.param.name); });

class GuardAtSpeed : public TickAtSpeed {};

TEST_P(GuardAtSpeed, TheEndZoneHoldsTheBarOnceAndRefusesCommands) {
  Card(6.0);
  ASSERT_TRUE(OpenRow(0));
  SpeedUp();
  const int margin = GuardMargin(GetParam().level);
  // Not yet in the zone: the tick leaves the controls alone.
  TickSeen before = Tick();
  ASSERT_FALSE(before.held);
  ASSERT_LT(before.slider + margin, Frames());

  // Dragged to the end while playing: the players go to the bound, inside
  // the zone, and play on.
  Message(kSliderDragStart, Frames() - 1);
  Message(kSliderDragEnd, Frames() - 1);
  ASSERT_EQ(State(), PlayState::kPlaying);
  std::vector<TickSeen> ticks;
  ASSERT_TRUE(WaitUntil([&] {
    ticks.push_back(Tick());
    return ticks.back().held;
  }, 3s)) << "the zone near the end was never entered";
  EXPECT_GE(ticks.back().slider + margin, Frames()) << "held outside the zone";
  EXPECT_FALSE(Enabled(Control::kNext));
  EXPECT_FALSE(Enabled(Control::kFirst));
  EXPECT_FALSE(window_.position_slider()->isEnabled());

  // A guarded command (from the keyboard or the menu) does nothing.
  const int level = window_.views().rate_code();
  window_.OnCommand(CommandOf(Control::kFirst));
  window_.OnCommand(CommandOf(Control::kSlow));
  EXPECT_EQ(State(), PlayState::kPlaying) << "first ran inside the zone";
  EXPECT_EQ(window_.views().rate_code(), level) << "slow ran inside the zone";
  EXPECT_FALSE(timers_.IsActive(WindowTimers::kSpeedDebounce));
}

INSTANTIATE_TEST_SUITE_P(Speeds, GuardAtSpeed, ::testing::ValuesIn(kSpeeds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackInWindow, APausedDragShowsTheFrameInBothViewsAndOnTheSlider) {
  Card(2.0);
  ASSERT_TRUE(OpenRow(0));
  window_.OnCommand(CommandOf(Control::kPlay));
  ASSERT_EQ(State(), PlayState::kPaused);
  const int last = Frames() - 1;
  for (int f : {0, 1, 29, 30, 31, last - 20, last, 0}) {
    Message(kSliderDragStart, f);
    Message(kSliderDragEnd, f);
    EXPECT_EQ(WaitForStrip(Front(), f, 5s), f);
    EXPECT_EQ(WaitForStrip(Rear(), RearOf(f), 5s), RearOf(f)) << "front frame " << f;
    EXPECT_EQ(Slider(), f);
    EXPECT_EQ(State(), PlayState::kPaused) << "frame " << f;
  }
  // Moving the thumb shows its sample on the slider without seeking.
  Message(kSliderDragStart, 10);
  Message(kSliderMoved, 40);
  EXPECT_EQ(Slider(), 40);
  QTest::qWait(100);
  EXPECT_EQ(FrontStrip(), 0) << "a move does not seek";
  Message(kSliderDragEnd, 40);
  EXPECT_EQ(WaitForStrip(Front(), 40, 5s), 40);
}

// The speed and G texts of the info panel.
struct PanelTexts {
  std::optional<std::string> speed, x, y, z;
  friend bool operator==(const PanelTexts&, const PanelTexts&) = default;
};
void PrintTo(const PanelTexts& t, std::ostream* out) {
  for (const auto* text : {&t.speed, &t.x, &t.y, &t.z}) *out << '[' << text->value_or("placeholder") << ']';
}

// The panel and the graph follow the frame on screen: what the panel shows
// is compared with the recording's data read from its file on its own.
class PanelFollowsTheFrame : public PlaybackInWindow {
 protected:
  void SetUp() override {
    PlaybackInWindow::SetUp();
    Card(3.0);
    ASSERT_TRUE(data_.Load(card_.front().data_path)) << data_.last_error();
    data_.set_frame_duration(1000.0f / 30.0f);
    ASSERT_TRUE(data_.IndexFrames(Frames()));
  }
  // What the panel shows now.
  PanelTexts Shown() const {
    const mapview::InfoValues& v = window_.info()->values();
    return {mapview::PanelSpeedText(v.speed_valid, v.speed), mapview::PanelAccelerationText(v.x),
            mapview::PanelAccelerationText(v.y), mapview::PanelAccelerationText(v.z)};
  }
  // What the panel should show on frame f, from the data file.
  PanelTexts Expected(int frame) const {
    const recording::AccelSample* sample = data_.SampleAtFrame(frame);
    if (sample == nullptr) return {};
    const recording::GpsSample* fix = sample->gps_link;
    const bool valid = fix != nullptr && fix->fix_valid != 0;
    return {mapview::PanelSpeedText(valid, valid ? fix->speed : -1.0), mapview::PanelAccelerationText(sample->x),
            mapview::PanelAccelerationText(sample->y), mapview::PanelAccelerationText(sample->z)};
  }
  int CursorXOf(int frame) const {
    return mapview::GraphScale::CursorX(frame, 0, Frames(), window_.graph()->width());
  }

  recording::SensorDataFile data_;
};

TEST_F(PanelFollowsTheFrame, APausedSeekShowsTheSampleOfItsFrame) {
  ASSERT_TRUE(OpenRow(0));
  window_.OnCommand(CommandOf(Control::kPlay));
  ASSERT_EQ(State(), PlayState::kPaused);
  ASSERT_GT(window_.graph()->width(), mapview::GraphScale::kLeftMargin);
  const int last = Frames() - 1;
  std::vector<PanelTexts> seen;
  for (int f : {0, 1, 29, 30, 31, last - 20, last}) {
    SCOPED_TRACE("frame " + std::to_string(f));
    Message(kSliderDragStart, f);
    Message(kSliderDragEnd, f);
    ASSERT_EQ(WaitForStrip(Front(), f, 5s), f);
    ASSERT_EQ(Slider(), f);
    ASSERT_NE(Expected(f), PanelTexts{}) << "the data has a sample for every frame";
    EXPECT_EQ(window_.info()->values().frame, f);
    EXPECT_EQ(Shown(), Expected(f));
    EXPECT_EQ(window_.graph()->cursor(), f);
    EXPECT_EQ(window_.graph()->CursorX(), CursorXOf(f));
    seen.push_back(Expected(f));
  }
  // Otherwise a panel stuck on one frame would pass.
  EXPECT_NE(std::count(seen.begin(), seen.end(), seen.front()), static_cast<std::ptrdiff_t>(seen.size()));
  EXPECT_NE(CursorXOf(0), CursorXOf(last));
}

TEST_F(PanelFollowsTheFrame, EachTickShowsTheSampleOfTheFrontPicture) {
  ASSERT_TRUE(OpenRow(0));
  int checked = 0;
  for (int i = 0; i < 200 && FrontStrip() < Frames() / 2; ++i) {
    QTest::qWait(30);
    const TickSeen t = Tick();
    // Read before the next tick moves them on.
    const int shown = window_.info()->values().frame;
    const PanelTexts texts = Shown();
    const int cursor_x = window_.graph()->CursorX();
    const int low = std::min(t.front_before, t.front_after), high = std::max(t.front_before, t.front_after);
    if (low <= 0) continue;  // the tick moves nothing until the player is past frame 0
    SCOPED_TRACE("tick " + std::to_string(i) + ", front " + std::to_string(low) + ".." + std::to_string(high));
    ++checked;
    EXPECT_TRUE(shown >= low && shown <= high) << "the panel shows frame " << shown;
    EXPECT_EQ(shown, t.slider);
    EXPECT_EQ(texts, Expected(shown));
    EXPECT_EQ(cursor_x, CursorXOf(shown));
  }
  EXPECT_GT(checked, 3) << "too few ticks while playing";
}

TEST_F(PlaybackInWindow, ASlowMotionStepShowsItsFrameEverywhere) {
  Card(2.0);
  ASSERT_TRUE(OpenRow(0));
  window_.OnCommand(CommandOf(Control::kPlay));
  ASSERT_EQ(State(), PlayState::kPaused);
  window_.OnMessage({0x8005, 0, 33});
  EXPECT_EQ(WaitForStrip(Front(), 33, 5s), 33);
  EXPECT_EQ(WaitForStrip(Rear(), RearOf(33), 5s), RearOf(33));
  EXPECT_EQ(Slider(), 33);
}

TEST_F(PlaybackInWindow, PausingReturnsToNormalSpeed) {
  Card(4.0);
  ASSERT_TRUE(OpenRow(0));
  window_.OnCommand(CommandOf(Control::kFastForward));
  timers_.Fire(WindowTimers::kSpeedSettle);
  ASSERT_EQ(speed_text_, "再生速度x2.0");
  window_.OnCommand(CommandOf(Control::kPlay));
  EXPECT_EQ(State(), PlayState::kPaused);
  EXPECT_EQ(window_.views().rate_code(), 1);
  EXPECT_EQ(speed_text_, "");
  // A frame already on its way may still land; then the picture holds.
  QTest::qWait(50);
  const int held = FrontStrip();
  QTest::qWait(200);
  EXPECT_EQ(FrontStrip(), held) << "the picture holds still";
  window_.OnCommand(CommandOf(Control::kPlay));
  EXPECT_TRUE(WaitUntil([&] { return FrontStrip() > held + 3; })) << "play did not resume";
}

TEST_F(PlaybackInWindow, FirstStopsAtFrameZero) {
  Card(4.0);
  ASSERT_TRUE(OpenRow(0));
  ASSERT_TRUE(WaitUntil([&] { return FrontStrip() > 20; }));
  window_.OnCommand(CommandOf(Control::kFastForward));
  window_.OnCommand(CommandOf(Control::kFirst));
  EXPECT_EQ(State(), PlayState::kStopped);
  EXPECT_EQ(WaitForStrip(Front(), 0, 5s), 0);
  EXPECT_EQ(WaitForStrip(Rear(), 0, 5s), 0);
  EXPECT_EQ(Slider(), 0);
  EXPECT_EQ(window_.views().rate_code(), 1) << "first returns to normal speed";
  EXPECT_FALSE(Enabled(Control::kFirst)) << "stopped: nothing to go back from";
  // Play goes on from the start.
  window_.OnCommand(CommandOf(Control::kPlay));
  EXPECT_TRUE(WaitUntil([&] { return FrontStrip() > 5; }));
}

// One press of a speed button and what it leads to.
struct SpeedStep {
  Control button;
  int level;  // slot 0's level afterwards
  const char* text;
};

TEST_F(PlaybackInWindow, SpeedStepsFollowTheTableAndRestForHalfASecond) {
  Card(8.0);
  ASSERT_TRUE(OpenRow(0));
  const SpeedStep steps[] = {
      {Control::kFastForward, 2, "再生速度x2.0"}, {Control::kFastForward, 4, "再生速度x4.0"},
      {Control::kSlow, 2, "再生速度x2.0"},        {Control::kSlow, 1, ""},
      {Control::kSlow, -2, "再生速度x0.5"},       {Control::kSlow, -2, "再生速度x0.5"},  // stays at half speed
      {Control::kFastForward, 1, ""},
  };
  for (const SpeedStep& step : steps) {
    SCOPED_TRACE(std::string(step.button == Control::kSlow ? "slow to " : "fast-forward to ") +
                 std::to_string(step.level));
    speed_text_ = "unset";
    window_.OnCommand(CommandOf(step.button));
    EXPECT_EQ(window_.views().rate_code(), step.level);
    EXPECT_TRUE(window_.speed_debounce());
    EXPECT_FALSE(Enabled(Control::kSlow));
    EXPECT_FALSE(Enabled(Control::kFastForward));
    EXPECT_EQ(timers_.PeriodOf(WindowTimers::kSpeedDebounce), 500);

    // A second press within the 500 ms changes nothing.
    window_.OnCommand(CommandOf(Control::kFastForward));
    EXPECT_EQ(window_.views().rate_code(), step.level) << "a press during the debounce ran";

    // The speed text follows once the players have settled, in the info
    // panel too.
    EXPECT_EQ(speed_text_, "unset");
    ASSERT_TRUE(timers_.Fire(WindowTimers::kSpeedSettle));
    EXPECT_EQ(speed_text_, step.text);
    EXPECT_EQ(window_.info()->mode_text().toStdString(), step.text);
    ASSERT_TRUE(timers_.Fire(WindowTimers::kSpeedDebounce));
    EXPECT_FALSE(window_.speed_debounce());
    EXPECT_EQ(Enabled(Control::kFastForward), step.level < 4);
    EXPECT_EQ(Enabled(Control::kSlow), step.level > -2);
  }
  EXPECT_EQ(State(), PlayState::kPlaying);
}

TEST_F(PlaybackInWindow, AFailedOpenOfTheSelectedRecordingSaysSo) {
  const auto& card = Card(2.0);
  const int broken = RowOf(card[0].main_path);
  ASSERT_GE(broken, 0);
  for (const fs::path& p : {card[0].main_path, card[0].sub_path}) fs::resize_file(p, 4096);

  Select(broken);
  ASSERT_TRUE(timers_.Fire(WindowTimers::kOpenDelay));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, UiQText(99));
  EXPECT_EQ(boxes_[0].caption, "ERROR");
  EXPECT_FALSE(window_.opener().waiting()) << "the wait ends with the failure";
  EXPECT_EQ(window_.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(timers_.IsActive(WindowTimers::kWaitLimit));
}

}  // namespace
}  // namespace viewer
