#include "viewer/commands/PositionSync.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <thread>

#include "ScreenReading.h"
#include "player/ViewPair.h"
#include "viewer/commands/ViewPairPlayers.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using player::screen::RearFrameOfMoment;
using player::screen::StripOnScreen;
using player::screen::WaitForStrip;
using player::S_OK;

// What the window's views were told.
struct ViewsSeen : SyncViews {
  void ShowValues(const ShownValues& v) override { values.push_back(v); }
  void MoveSlider(int frame) override { slider = frame; }
  void MoveCursor(int frame) override { cursor = frame; }
  void SetRange(int first, int count) override { range = {first, count}; }
  void GuardZoneChanged(bool entered) override { zone.push_back(entered); }
  std::vector<ShownValues> values;
  int slider = -1, cursor = -1;
  std::pair<int, int> range{-1, -1};
  std::vector<bool> zone;
};

// A recording of 2 s at 30 fps, its rear camera at some rate, played by a
// real view pair that a PositionSync drives as the main window does.
class Sync : public ::testing::Test {
 protected:
  void SetUp() override { pair_.SetUp("Noto Sans CJK JP"); }
  void TearDown() override { pair_.Close(); }

  // Opens, loads the sensor data and starts the recording in the sync.
  ::testing::AssertionResult Open(double rear_fps) {
    samplecard::CardOptions o;
    o.recordings = 1;
    o.seconds = 2;
    o.gop = 10;
    o.sub_fps = rear_fps;
    recording_ = player::screen::MakeCard(o).front();
    rear_fps_ = rear_fps > 0 ? rear_fps : 30.0;
    const samplecard::WrittenRecording& r = recording_;
    if (pair_.Open(r.main_path) != S_OK) return ::testing::AssertionFailure() << pair_.reason();
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!pair_.media_ready() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(2ms);
    if (!pair_.media_ready()) return ::testing::AssertionFailure() << "never ready";
    if (pair_.LoadSensorData(r.main_path) != 1) return ::testing::AssertionFailure() << "no sensor data";
    const PositionSync::Started started = sync_.Start();
    if (started.frame_count != r.main_frames) {
      return ::testing::AssertionFailure() << "started with " << started.frame_count << " frames";
    }
    return ::testing::AssertionSuccess();
  }
  player::MovieView& front() { return pair_.view(player::ViewPair::kFront); }
  player::MovieView& rear() { return pair_.view(player::ViewPair::kRear); }
  int RearOf(int front_frame) const {
    return RearFrameOfMoment(front_frame, 30, rear_fps_);
  }

  // What one tick showed: the front strip before and after it and the rear
  // strip between, and the frame the views were moved to.
  struct TickSeen {
    int front_before, front_after, rear, slider;
    bool zone_changed;
  };
  TickSeen Tick() {
    TickSeen seen{};
    const std::size_t zone_changes = views_.zone.size();
    seen.front_before = StripOnScreen(front());
    sync_.Tick();
    seen.rear = StripOnScreen(rear());
    seen.front_after = StripOnScreen(front());
    seen.slider = views_.slider;
    seen.zone_changed = views_.zone.size() != zone_changes;
    return seen;
  }
  // Ticks every 30 ms until the front view shows frame at or after until_frame.
  std::vector<TickSeen> TickUntil(int until_frame) {
    std::vector<TickSeen> ticks;
    const auto give_up = std::chrono::steady_clock::now() + 6s;
    while (std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(30ms);
      ticks.push_back(Tick());
      if (ticks.back().front_after >= until_frame) break;
    }
    return ticks;
  }
  // Every tick moved the views to the frame on screen and showed the rear
  // camera at the same moment, give or take one rear frame.
  void ExpectInStep(const std::vector<TickSeen>& ticks, int first_frame) {
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      const TickSeen& t = ticks[i];
      ASSERT_GE(t.front_before, 0);
      ASSERT_GE(t.rear, 0);
      const int low = std::min(t.front_before, t.front_after), high = std::max(t.front_before, t.front_after);
      if (low < first_frame) continue;  // the players have not reached the seek yet
      EXPECT_TRUE(t.slider >= low && t.slider <= high)
          << "slider at " << t.slider << " while the front showed " << t.front_before << ".." << t.front_after
          << " at tick " << i;
      EXPECT_TRUE(t.rear >= RearOf(low) - 1 && t.rear <= RearOf(high) + 1)
          << "rear " << t.rear << " with front " << t.front_before << ".." << t.front_after << " at tick " << i;
    }
  }

  platform::RecordingSink front_sink_, rear_sink_, parent_;
  player::ViewPair pair_{&parent_, {&front_sink_, {}}, {&rear_sink_, {}}};
  ViewPairPlayers players_{pair_};
  ViewsSeen views_;
  PositionSync sync_{players_, &views_};
  samplecard::WrittenRecording recording_;
  double rear_fps_ = 30.0;
};

struct RearRate {
  const char* name;
  double fps;
};
void PrintTo(const RearRate& r, std::ostream* out) { *out << r.name; }

class PausedSeek : public Sync, public ::testing::WithParamInterface<RearRate> {};

TEST_P(PausedSeek, ShowsTheFrameInBothViewsAndOnTheSlider) {
  ASSERT_TRUE(Open(GetParam().fps));
  EXPECT_EQ(views_.range, std::make_pair(0, recording_.main_frames));
  EXPECT_EQ(views_.slider, 0) << "a recording starts at frame 0";
  ASSERT_EQ(pair_.Play(), S_OK);
  ASSERT_EQ(pair_.Pause(), S_OK);
  const int last = recording_.main_frames - 1;
  for (int f : {0, 1, 29, 30, 31, last - 20, last, 0}) {
    views_.values.clear();
    sync_.SeekTo(f);
    EXPECT_EQ(WaitForStrip(front(), f, 5s), f);
    EXPECT_EQ(WaitForStrip(rear(), RearOf(f), 5s), RearOf(f)) << "front frame " << f;
    EXPECT_EQ(views_.slider, f);
    EXPECT_EQ(views_.cursor, f);
    ASSERT_EQ(views_.values.size(), 1u);
    EXPECT_EQ(views_.values[0].frame, f);
    EXPECT_TRUE(views_.values[0].has_sample) << "frame " << f << " has sensor data";
    // A tick while paused moves nothing.
    std::this_thread::sleep_for(30ms);
    sync_.Tick();
    EXPECT_EQ(views_.slider, f);
    EXPECT_EQ(StripOnScreen(front()), f);
  }
  EXPECT_EQ(players_.state(), PlayState::kPaused);
}

const RearRate kRearRates[] = {{"RearAtTheSameRate", 0.0}, {"RearAtHalfRate", 15.0}, {"RearAt24", 24.0}};
INSTANTIATE_TEST_SUITE_P(Rates, PausedSeek, ::testing::ValuesIn(kRearRates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Sync, BeyondTheRangeIsClampedToItsEnds) {
  ASSERT_TRUE(Open(15.0));
  ASSERT_EQ(pair_.Play(), S_OK);
  ASSERT_EQ(pair_.Pause(), S_OK);
  const int last = recording_.main_frames - 1;
  sync_.SeekTo(last + 50);
  EXPECT_EQ(WaitForStrip(front(), last, 5s), last);
  EXPECT_EQ(views_.slider, last);
  sync_.SeekTo(-7);
  EXPECT_EQ(WaitForStrip(front(), 0, 5s), 0);
  EXPECT_EQ(views_.slider, 0);
}

struct Speed {
  const char* name;
  int level;
  int margin;  // frames before the end in which commands are refused
};
void PrintTo(const Speed& s, std::ostream* out) { *out << s.name; }

class Playing : public Sync, public ::testing::WithParamInterface<Speed> {};

TEST_P(Playing, EveryTickFollowsThePlayedFrameAndTheGuardZoneOnce) {
  ASSERT_TRUE(Open(15.0));
  const int frames = recording_.main_frames;
  ASSERT_EQ(pair_.SetRate(GetParam().level), S_OK);
  ASSERT_EQ(pair_.Play(), S_OK);
  const std::vector<TickSeen> to_end = TickUntil(frames - 1);
  ASSERT_FALSE(to_end.empty());
  EXPECT_EQ(to_end.back().front_after, frames - 1) << "played to the end";
  ExpectInStep(to_end, 0);
  ASSERT_EQ(views_.zone, std::vector<bool>{true}) << "the zone near the end is entered once";
  for (const TickSeen& t : to_end) {
    if (t.zone_changed) {
      EXPECT_GE(t.slider, frames - GetParam().margin - 1) << "entered within the margin of the end";
    }
  }

  // The slider dragged back to the start while playing: playback goes on
  // from there, out of the zone.
  sync_.DragStart(30, false);
  EXPECT_EQ(players_.state(), PlayState::kPaused);
  sync_.DragMove(12);
  EXPECT_EQ(views_.slider, 12);
  sync_.DragEnd(5);
  EXPECT_EQ(views_.slider, 5);
  EXPECT_EQ(players_.state(), PlayState::kPlaying);
  // Up to a few frames before the zone (at x2 it is two thirds of this
  // short recording).
  const std::vector<TickSeen> again = TickUntil(frames - GetParam().margin - 5);
  ExpectInStep(again, 5);
  EXPECT_EQ(views_.zone, (std::vector<bool>{true, false})) << "left once";
  for (const TickSeen& t : again) EXPECT_GE(t.slider, 5) << "never a position from before the seek";
}

const Speed kSpeeds[] = {{"Normal", 1, 20}, {"Double", 2, 40}};
INSTANTIATE_TEST_SUITE_P(Speeds, Playing, ::testing::ValuesIn(kSpeeds),
                         [](const auto& info) { return std::string(info.param.name); });

// A seek near the end while playing sends the players to the bounded frame,
// and the tick accepts the positions from there on: the views never freeze.
TEST_F(Sync, PlayingSeekNearTheEndIsBoundedAndFollowed) {
  ASSERT_TRUE(Open(15.0));
  const int frames = recording_.main_frames;
  ASSERT_EQ(pair_.Play(), S_OK);
  TickUntil(5);
  sync_.SeekTo(frames - 2);
  const int bound = frames - 20;
  EXPECT_EQ(views_.slider, bound);
  EXPECT_EQ(sync_.position().pending(), bound);
  EXPECT_EQ(players_.state(), PlayState::kPlaying);
  const std::vector<TickSeen> ticks = TickUntil(frames - 1);
  ASSERT_FALSE(ticks.empty());
  ExpectInStep(ticks, bound);
  EXPECT_GT(views_.slider, bound) << "the tick followed the players past the bounded seek";
  EXPECT_EQ(sync_.position().pending(), -1);
}

}  // namespace
}  // namespace viewer
