#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/commands/PositionSync.h"

namespace viewer {
namespace {

// Players whose position the test sets; every call that drives them is logged.
struct ScriptedPlayers : SyncPlayers {
  PlayState state() const override { return play_state; }
  int speed_level() const override { return level; }
  int CurrentFrame() override { return position; }
  int FrameCount() override { return frames; }
  double FrameRate() override { return 30.0; }
  int VideoHeight() override { return 720; }
  bool Seek(int frame) override {
    log.push_back("seek " + std::to_string(frame));
    return true;
  }
  bool Play() override {
    play_state = PlayState::kPlaying;
    log.push_back("play");
    return true;
  }
  bool Pause() override {
    play_state = PlayState::kPaused;
    log.push_back("pause");
    return true;
  }
  void SetVolume(int volume) override { log.push_back("volume " + std::to_string(volume)); }
  void ReadSensorData(const std::function<void(const recording::SensorDataFile&)>& read) override { read(data); }

  PlayState play_state = PlayState::kStopped;
  int level = 1, position = 0, frames = 900;
  recording::SensorDataFile data;  // nothing loaded
  std::vector<std::string> log;
};

struct ZoneSeen : SyncViews {
  void GuardZoneChanged(bool entered) override { zone.push_back(entered); }
  void MoveSlider(int frame) override { slider = frame; }
  std::vector<bool> zone;
  int slider = -1;
};

class Rules : public ::testing::Test {
 protected:
  void SetUp() override {
    sync_.set_volume(40000);
    sync_.Start();
    players_.log.clear();
  }
  ScriptedPlayers players_;
  ZoneSeen views_;
  PositionSync sync_{players_, &views_};
};

TEST_F(Rules, WithoutASampleTheValuesAreTheEmptyOnes) {
  const ShownValues v = sync_.ShowSample(100);
  EXPECT_FALSE(v.has_sample);
  EXPECT_EQ(v.x, -5.0);
  EXPECT_EQ(v.y, -5.0);
  EXPECT_EQ(v.z, -5.0);
  EXPECT_FALSE(v.gps_valid);
  EXPECT_EQ(v.gps_speed, -1.0);
  EXPECT_EQ(views_.slider, 100);
}

// At x4 the zone begins 80 frames before the end; each crossing is reported
// once however many ticks fall inside.
TEST_F(Rules, GuardZoneAtFourTimesIsReportedOncePerCrossing) {
  players_.play_state = PlayState::kPlaying;
  players_.level = 4;
  for (int p : {700, 819, 820, 830, 880, 899}) {
    players_.position = p;
    sync_.Tick();
  }
  EXPECT_EQ(views_.zone, std::vector<bool>{true});
  EXPECT_TRUE(sync_.in_guard_zone());
  players_.position = 100;
  sync_.Tick();
  players_.position = 110;
  sync_.Tick();
  EXPECT_EQ(views_.zone, (std::vector<bool>{true, false}));
  EXPECT_EQ(views_.slider, 110);
}

TEST_F(Rules, TickWhilePausedMovesNothing) {
  players_.play_state = PlayState::kPaused;
  players_.position = 890;
  sync_.Tick();
  EXPECT_TRUE(views_.zone.empty());
  EXPECT_EQ(views_.slider, 0);
}

TEST_F(Rules, NothingFollowsWithoutARecording) {
  sync_.Stop();
  players_.play_state = PlayState::kPlaying;
  players_.position = 500;
  sync_.Tick();
  sync_.SeekTo(300);
  sync_.DragEnd(200);
  EXPECT_EQ(views_.slider, 0);
  EXPECT_TRUE(players_.log.empty());
}

// A drag of a playing recording: muted and paused while the thumb is held
// (a preview does not play on), then played on from the bounded frame with
// the volume back.
TEST_F(Rules, DragOfAPlayingRecordingPausesUntilReleased) {
  players_.play_state = PlayState::kPlaying;
  sync_.DragStart(300, true);
  EXPECT_EQ(players_.play_state, PlayState::kPaused);
  sync_.DragMove(450);
  EXPECT_EQ(views_.slider, 450);
  sync_.DragEnd(895);
  EXPECT_EQ(players_.log, (std::vector<std::string>{"volume 0", "pause", "seek 300", "volume 40000", "pause",
                                                    "seek 880", "play", "volume 40000"}));
  EXPECT_EQ(views_.slider, 880);
}

TEST_F(Rules, DragOfAPausedRecordingStaysPausedAtTheFrameItself) {
  players_.play_state = PlayState::kPaused;
  sync_.DragStart(10, false);
  sync_.DragEnd(895);
  EXPECT_EQ(players_.log, (std::vector<std::string>{"volume 0", "seek 895", "volume 40000"}));
  EXPECT_EQ(players_.play_state, PlayState::kPaused);
  EXPECT_EQ(views_.slider, 895);
}

}  // namespace
}  // namespace viewer
