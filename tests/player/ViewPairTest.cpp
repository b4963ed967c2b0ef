#include "player/ViewPair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "ScreenReading.h"
#include "TestFiles.h"
#include "ViewUnderTest.h"
#include "recording/CompanionPath.h"

namespace player {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using screen::RearFrameOfMoment;
using screen::StripOnScreen;
using screen::WaitForStrip;

// A recording's front and rear camera in the two views of a pair, driven as
// the main window drives them; what each view shows is read off its strip.
class Pair : public ::testing::Test {
 protected:
  // What both views showed at one moment: the front read before and after the
  // rear, so that a front frame changing between the reads is bracketed.
  struct PairSample {
    int front_before, rear, front_after;
    QSize front_size, rear_size;
  };

  void SetUp() override {
    pair_.SetUp("Noto Sans CJK JP");
    pair_.set_error_sink([this](HRESULT hr, const std::string& text, const std::string& why) {
      failures_.push_back({hr, text, why});
    });
  }
  // A 2 s recording with the rear at 15 fps, written for one test alone, so
  // that the test may remove or spoil its files.
  static samplecard::WrittenRecording OwnRecording() {
    samplecard::CardOptions o;
    o.recordings = 1;
    o.seconds = 2;
    o.gop = 10;
    o.sub_fps = 15;
    return screen::MakeCard(o).front();
  }
  MovieView& front() { return pair_.view(ViewPair::kFront); }
  MovieView& rear() { return pair_.view(ViewPair::kRear); }

  // Opens and waits until every view that opened can show frames.
  ::testing::AssertionResult Open(const fs::path& path) {
    const HRESULT hr = pair_.Open(path);
    if (hr != S_OK) return ::testing::AssertionFailure() << "open gave " << hr << ": " << pair_.reason();
    return WaitReady();
  }
  ::testing::AssertionResult WaitReady() {
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!pair_.media_ready() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(2ms);
    if (!pair_.media_ready()) return ::testing::AssertionFailure() << "never ready";
    return ::testing::AssertionSuccess();
  }
  // Waits until the strip on screen reads frame or later (a playing view
  // may skip a picture); returns what it read last.
  static int WaitUntilPast(MovieView& view, int frame) {
    const auto until = std::chrono::steady_clock::now() + 5s;
    int seen = StripOnScreen(view);
    while (seen < frame && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(2ms);
      seen = StripOnScreen(view);
    }
    return seen;
  }
  void ShowBoth(int front_frame) {
    const int rear_frame = RearFrameOfMoment(front_frame, 30, 15);
    ASSERT_EQ(pair_.ShowFrame(front_frame), S_OK);
    ASSERT_EQ(WaitForStrip(front(), front_frame, 5s), front_frame);
    ASSERT_EQ(WaitForStrip(rear(), rear_frame, 5s), rear_frame);
  }
  std::vector<PairSample> SampleBoth(std::chrono::milliseconds duration) {
    std::vector<PairSample> samples;
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
      PairSample s;
      s.front_before = StripOnScreen(front());
      s.rear = StripOnScreen(rear());
      s.front_after = StripOnScreen(front());
      s.front_size = front().FrameOnScreen().image.size();
      s.rear_size = rear().FrameOnScreen().image.size();
      samples.push_back(s);
      std::this_thread::sleep_for(3ms);
    }
    return samples;
  }
  // Most samples show both cameras at the same moment, give or take
  // tolerance rear frames, and none is further off than a picture delayed
  // on a machine starved of processor time; returns how far the front view
  // got.
  static int ExpectSameMoment(const std::vector<PairSample>& samples, int tolerance, double speed = 1.0) {
    const int starved = tolerance + screen::StarvedLagFrames(speed, 15);
    int furthest = -1, counted = 0, in_step = 0;
    for (const PairSample& s : samples) {
      EXPECT_GE(s.front_before, 0);
      EXPECT_GE(s.rear, 0);
      if (s.front_before < 0 || s.rear < 0 || s.front_after < 0) continue;
      const int low = RearFrameOfMoment(std::min(s.front_before, s.front_after), 30, 15);
      const int high = RearFrameOfMoment(std::max(s.front_before, s.front_after), 30, 15);
      const int off = screen::FramesOutside(s.rear, low, high);
      ++counted;
      in_step += off <= tolerance;
      EXPECT_LE(off, starved) << "front " << s.front_before << "/" << s.front_after << " with rear " << s.rear;
      furthest = std::max(furthest, s.front_after);
    }
    EXPECT_GE(2 * in_step, counted) << "the cameras were apart at most samples";
    return furthest;
  }

  platform::RecordingSink front_sink_, rear_sink_, parent_;
  ViewPair pair_{&parent_, {&front_sink_, {}}, {&rear_sink_, {}}};
  std::vector<ViewUnderTest::Failure> failures_;
};

TEST_F(Pair, PlayTogetherOnTheSameMomentAndNeverShowTheOldRecording) {
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
  ASSERT_TRUE(Open(first.main_path));

  // x1 from the middle: within one rear frame.
  ShowBoth(60);
  ASSERT_EQ(pair_.Play(), S_OK);
  EXPECT_GE(ExpectSameMoment(SampleBoth(600ms), 1), 70);
  ASSERT_EQ(pair_.Stop(), S_OK);

  // x4: only key frames play, so the cameras agree within a key-frame
  // interval (10 rear frames).
  ASSERT_EQ(pair_.SetRate(4), S_OK);
  ShowBoth(0);
  ASSERT_EQ(pair_.Play(), S_OK);
  EXPECT_GE(ExpectSameMoment(SampleBoth(600ms), 10, 4.0), 40) << "x4 plays 2.4 s of the recording in 0.6 s";

  // The second recording opened while the first plays.
  ASSERT_TRUE(Open(second.main_path));
  const std::vector<PairSample> opened = SampleBoth(150ms);
  ShowBoth(0);
  ASSERT_EQ(pair_.Play(), S_OK);
  const std::vector<PairSample> playing = SampleBoth(2300ms);
  EXPECT_GE(ExpectSameMoment(playing, 1), 40) << "2.3 s at x1 reaches frame 69 on an idle machine";
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

TEST_F(Pair, RearAtAnotherRateShowsTheSameMomentAfterAPausedSeek) {
  ASSERT_TRUE(Open(screen::Card()[1].main_path));
  ASSERT_EQ(pair_.Play(), S_OK);
  ASSERT_EQ(pair_.Pause(), S_OK);
  for (int frame : {0, 1, 21, 40, 3, 58, 59}) {
    ASSERT_EQ(pair_.Seek(frame), S_OK);
    const int expected = RearFrameOfMoment(frame, 30, 15);
    EXPECT_EQ(WaitForStrip(front(), frame, 5s), frame);
    EXPECT_EQ(WaitForStrip(rear(), expected, 5s), expected) << "front frame " << frame;
    // And stays there: a paused seek does not play on.
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(StripOnScreen(front()), frame);
    EXPECT_EQ(StripOnScreen(rear()), expected) << "front frame " << frame;
    EXPECT_EQ(pair_.CurrentFrame(), frame);
  }
  EXPECT_EQ(pair_.state(), MovieView::ViewState::kPaused);
}

TEST_F(Pair, FrontWithoutARearFilePlaysAlone) {
  const samplecard::WrittenRecording r = OwnRecording();
  fs::remove(r.sub_path);
  ASSERT_TRUE(Open(r.main_path));
  EXPECT_TRUE(pair_.opened(ViewPair::kFront));
  EXPECT_FALSE(pair_.opened(ViewPair::kRear));
  EXPECT_TRUE(failures_.empty()) << "a missing rear file is no failure";
  EXPECT_EQ(pair_.FrameCount(), r.main_frames);

  ASSERT_EQ(pair_.ShowFrame(5), S_OK);
  ASSERT_EQ(WaitForStrip(front(), 5, 5s), 5);
  ASSERT_EQ(pair_.Play(), S_OK);
  EXPECT_EQ(pair_.state(), MovieView::ViewState::kPlaying);
  EXPECT_GE(WaitUntilPast(front(), 20), 20) << "the front plays on";
  ASSERT_EQ(pair_.Pause(), S_OK);
  EXPECT_EQ(pair_.state(), MovieView::ViewState::kPaused);
  EXPECT_EQ(rear().FrameOnScreen().frame, -1) << "the rear view shows nothing";
}

TEST_F(Pair, SlowMotionStepsBothViewsInOneRunOfFrontFrames) {
  ASSERT_TRUE(Open(screen::Card()[1].main_path));
  for (int slot : {ViewPair::kFront, ViewPair::kRear}) pair_.view(slot).set_slow_step_period(100ms);
  ShowBoth(30);
  ASSERT_EQ(pair_.Play(), S_OK);
  ASSERT_EQ(pair_.SlowMotion(true), S_OK);
  // The owner shows each step in both views, as the window does.
  std::vector<platform::Message> steps;
  const auto until = std::chrono::steady_clock::now() + 5s;
  for (std::size_t shown = 0; shown < 5 && std::chrono::steady_clock::now() < until;) {
    steps = parent_.MessagesOf(WM_SLOW_STEP);
    if (steps.size() == shown) {
      std::this_thread::sleep_for(2ms);
      continue;
    }
    ASSERT_GE(steps[0].lparam, 30);
    ASSERT_EQ(steps[shown].lparam, steps[0].lparam + static_cast<std::intptr_t>(shown)) << "one run of front frames";
    ShowBoth(static_cast<int>(steps[shown].lparam));
    ++shown;
  }
  ASSERT_GE(steps.size(), 5u);
  ASSERT_EQ(pair_.SlowMotion(false), S_OK);
  // Both play on from there.
  EXPECT_EQ(pair_.view(ViewPair::kRear).view_state(), MovieView::ViewState::kPlaying);
  const int last = static_cast<int>(steps[4].lparam);
  EXPECT_GE(WaitUntilPast(front(), last + 10), last + 10);
  EXPECT_GE(WaitUntilPast(rear(), RearFrameOfMoment(last + 10, 30, 15)), RearFrameOfMoment(last + 10, 30, 15));
}

struct BrokenPair {
  const char* name;
  bool front_broken, rear_broken;
  friend void PrintTo(const BrokenPair& b, std::ostream* os) { *os << b.name; }
};

class BrokenPairs : public Pair, public ::testing::WithParamInterface<BrokenPair> {};

TEST_P(BrokenPairs, OpenWhenEitherOpensAndReportEveryFailure) {
  const samplecard::WrittenRecording r = OwnRecording();
  const BrokenPair& b = GetParam();
  for (const auto& [broken, path] : {std::pair{b.front_broken, r.main_path}, std::pair{b.rear_broken, r.sub_path}}) {
    if (broken) testfiles::WriteFile(path, testfiles::Text(std::string(400, 'x')));
  }

  const HRESULT hr = pair_.Open(r.main_path);
  // Each failure is reported with the file it concerns, and the reason names it.
  std::vector<fs::path> failed;
  if (b.front_broken) failed.push_back(r.main_path);
  if (b.rear_broken) failed.push_back(r.sub_path);
  ASSERT_EQ(failures_.size(), failed.size());
  for (std::size_t i = 0; i < failed.size(); ++i) {
    EXPECT_EQ(failures_[i].hr, E_INVALIDARG);
    EXPECT_NE(failures_[i].why.find(failed[i].filename().string()), std::string::npos) << failures_[i].why;
    EXPECT_NE(pair_.reason().find(failed[i].filename().string()), std::string::npos) << pair_.reason();
  }
  EXPECT_EQ(pair_.opened(ViewPair::kFront), !b.front_broken);
  EXPECT_EQ(pair_.opened(ViewPair::kRear), !b.rear_broken);

  if (b.front_broken && b.rear_broken) {
    EXPECT_EQ(hr, E_INVALIDARG);
    EXPECT_EQ(pair_.Play(), E_UNEXPECTED) << "nothing open plays";
    EXPECT_EQ(pair_.state(), MovieView::ViewState::kNothing);
    return;
  }
  ASSERT_EQ(hr, S_OK);
  ASSERT_TRUE(WaitReady());
  // Frames are the open view's own; the position is read from it.
  MovieView& shown = b.front_broken ? rear() : front();
  EXPECT_EQ(pair_.FrameCount(), b.front_broken ? r.sub_frames : r.main_frames);
  EXPECT_EQ(pair_.FrameRate(), b.front_broken ? 15.0 : 30.0);
  // The sound is the open view's.
  ASSERT_EQ(pair_.SetVolume(40000), S_OK);
  EXPECT_EQ(shown.volume(), 40000);
  // So is the sensor data decoded by the window's loader, indexed by its frames.
  recording::SensorDataFile decoded;
  ASSERT_TRUE(decoded.Load(recording::DataPath(r.main_path)));
  ASSERT_EQ(pair_.TakeSensorData(decoded), 1);
  EXPECT_EQ(shown.sensor_data().frame_index().size(), static_cast<std::size_t>(pair_.FrameCount()));
  ASSERT_EQ(pair_.Seek(12), S_OK);
  EXPECT_EQ(WaitForStrip(shown, 12, 5s), 12);
  EXPECT_EQ(pair_.CurrentFrame(), 12);
  ASSERT_EQ(pair_.Play(), S_OK);
  EXPECT_EQ(pair_.state(), MovieView::ViewState::kPlaying);
  EXPECT_GE(WaitUntilPast(shown, 20), 20) << "the view that opened plays";
}

INSTANTIATE_TEST_SUITE_P(Player, BrokenPairs,
                         ::testing::Values(BrokenPair{"front_fails_rear_plays", true, false},
                                           BrokenPair{"rear_fails_front_plays", false, true},
                                           BrokenPair{"both_fail", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace player
