#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "ScreenReading.h"
#include "player/MovieView.h"

namespace player {
namespace {

using namespace std::chrono_literals;
using screen::RearFrameOfMoment;
using screen::StripOnScreen;

// The front and the rear camera of a recording in two views, driven as the
// main window drives them: every request to the front view, then the same to
// the rear.
class TwoViews : public ::testing::Test {
 protected:
  // What both views showed at one moment: the front read before and after the
  // rear, so that a front frame changing between the reads is bracketed.
  struct PairSample {
    int front_before, rear, front_after;
    QSize front_size, rear_size;
  };

  void SetUp() override {
    front_.SetUp("Noto Sans CJK JP");
    rear_.SetUp("Noto Sans CJK JP");
  }
  void OpenBoth(const samplecard::WrittenRecording& r) {
    ASSERT_TRUE(screen::OpenAndWait(front_, front_sink_, r.main_path));
    ASSERT_TRUE(screen::OpenAndWait(rear_, rear_sink_, r.sub_path));
  }
  void RateBoth(int code) {
    ASSERT_EQ(front_.SetRate(code), S_OK);
    ASSERT_EQ(rear_.SetRate(code), S_OK);
  }
  void ShowBoth(int front) {
    const int rear = RearFrameOfMoment(front, 30, 15);
    ASSERT_EQ(front_.ShowFrame(front), S_OK);
    ASSERT_EQ(rear_.ShowFrame(rear), S_OK);
    ASSERT_EQ(screen::WaitForStrip(front_, front, 5s), front);
    ASSERT_EQ(screen::WaitForStrip(rear_, rear, 5s), rear);
  }
  void PlayBoth() {
    ASSERT_EQ(front_.Play(), S_OK);
    ASSERT_EQ(rear_.Play(), S_OK);
  }
  std::vector<PairSample> SampleBoth(std::chrono::milliseconds duration) {
    std::vector<PairSample> samples;
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
      PairSample s;
      s.front_before = StripOnScreen(front_);
      s.rear = StripOnScreen(rear_);
      s.front_after = StripOnScreen(front_);
      s.front_size = front_.FrameOnScreen().image.size();
      s.rear_size = rear_.FrameOnScreen().image.size();
      samples.push_back(s);
      std::this_thread::sleep_for(3ms);
    }
    return samples;
  }
  // Every sample shows both cameras at the same moment, give or take
  // tolerance rear frames; returns how far the front view got.
  static int ExpectSameMoment(const std::vector<PairSample>& samples, int tolerance) {
    int furthest = -1;
    for (const PairSample& s : samples) {
      EXPECT_GE(s.front_before, 0);
      EXPECT_GE(s.rear, 0);
      if (s.front_before < 0 || s.rear < 0 || s.front_after < 0) continue;
      const int low = RearFrameOfMoment(std::min(s.front_before, s.front_after), 30, 15) - tolerance;
      const int high = RearFrameOfMoment(std::max(s.front_before, s.front_after), 30, 15) + tolerance;
      EXPECT_TRUE(s.rear >= low && s.rear <= high)
          << "front " << s.front_before << "/" << s.front_after << " with rear " << s.rear;
      furthest = std::max(furthest, s.front_after);
    }
    return furthest;
  }

  platform::RecordingSink front_sink_, rear_sink_, parent_;
  MovieView front_{&front_sink_, &parent_, {}};
  MovieView rear_{&rear_sink_, &parent_, {}};
};

TEST_F(TwoViews, PlayTogetherOnTheSameMomentAndNeverShowTheOldRecording) {
  // The first recording is larger and longer than the second, so that any of
  // its pictures shown after the second is opened gives itself away by its
  // size and by a frame number the second does not have.
  samplecard::CardOptions o;
  o.recordings = 1;
  o.seconds = 4;
  o.width = 384;
  o.height = 216;
  o.gop = 10;
  o.sub_fps = 15;
  const samplecard::WrittenRecording first = screen::MakeCard(o).front();
  const samplecard::WrittenRecording& second = screen::Card()[0];
  OpenBoth(first);

  // x1 from the middle: within one rear frame.
  ShowBoth(60);
  PlayBoth();
  EXPECT_GE(ExpectSameMoment(SampleBoth(600ms), 1), 70);
  ASSERT_EQ(front_.Stop(), S_OK);
  ASSERT_EQ(rear_.Stop(), S_OK);

  // x4: only key frames play, so the cameras agree within a key-frame
  // interval (10 rear frames).
  RateBoth(4);
  ShowBoth(0);
  PlayBoth();
  EXPECT_GE(ExpectSameMoment(SampleBoth(600ms), 10), 40) << "x4 plays 2.4 s of the recording in 0.6 s";

  // The second recording opened while the first plays.
  OpenBoth(second);
  const std::vector<PairSample> opened = SampleBoth(150ms);
  ShowBoth(0);
  PlayBoth();
  const std::vector<PairSample> playing = SampleBoth(2300ms);
  EXPECT_GE(ExpectSameMoment(playing, 1), 50);
  for (const auto* run : {&opened, &playing}) {
    for (const PairSample& s : *run) {
      for (const QSize& size : {s.front_size, s.rear_size}) {
        EXPECT_TRUE(size.isEmpty() || size == QSize(320, 180))
            << "a picture of the first recording after the second was opened";
      }
      EXPECT_LT(std::max(s.front_before, s.front_after), second.main_frames);
      EXPECT_LT(s.rear, second.sub_frames);
    }
  }
}

}  // namespace
}  // namespace player
