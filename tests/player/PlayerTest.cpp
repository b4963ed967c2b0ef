#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <atomic>
#include <charconv>
#include <mutex>
#include <set>
#include <thread>

#include "ScreenReading.h"
#include "tools/samplecard/FrameStamp.h"
#include "TestFiles.h"
#include "player/MovieView.h"
#include "recording/CompanionPath.h"

namespace player {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using screen::Card;
using screen::MediaSpeed;
using screen::Sample;
using screen::SampleStrips;
using screen::StripOf;
using screen::StripOnScreen;
using screen::WaitForStrip;

class Playing : public ::testing::Test {
 protected:
  void SetUp() override {
    view_.SetUp("Noto Sans CJK JP");
    view_.set_error_sink([this](HRESULT hr, const std::string& text, const std::string&) { errors_.push_back({hr, text}); });
  }
  void Open(const fs::path& path) {
    sink_.Clear();
    ASSERT_EQ(view_.Open(path), S_OK);
    ASSERT_TRUE(sink_.WaitFor(WM_PLAYER_READY, 5s));
    ASSERT_TRUE(view_.media_ready());
  }
  void ExpectShows(int frame) {
    ASSERT_EQ(view_.ShowFrame(frame), S_OK);
    ASSERT_TRUE(view_.WaitForFrame(frame, 5s)) << "frame " << frame << ", on screen " << view_.FrameOnScreen().frame;
    EXPECT_EQ(StripOnScreen(view_), frame);
    EXPECT_EQ(view_.CurrentFrame(), frame);
  }
  // The picture on screen reads frame, stays there, and the view says so.
  void ExpectSettlesOn(int frame) {
    EXPECT_EQ(WaitForStrip(view_, frame, 5s), frame);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(StripOnScreen(view_), frame);
    EXPECT_EQ(view_.CurrentFrame(), frame);
  }
  platform::RecordingSink sink_, parent_;
  MovieView view_{&sink_, &parent_, {}};
  std::vector<std::pair<HRESULT, std::string>> errors_;
};

TEST_F(Playing, OpenGivesReadyFrameCountDurationAndSize) {
  Open(Card()[0].main_path);
  EXPECT_EQ(view_.FrameCount(), 60);
  EXPECT_NEAR(view_.FrameDuration(), 1000.0f / 30.0f, 1e-3);
  EXPECT_EQ(view_.VideoSize(), QSize(320, 180));
  EXPECT_EQ(view_.view_state(), MovieView::ViewState::kStopped);
  EXPECT_EQ(view_.player_state(), PlayerState::kStopped);
}

TEST_F(Playing, ShowFrameShowsExactlyThatFrameFromAnywhere) {
  Open(Card()[0].main_path);
  for (int frame : {0, 17, 59, 58, 30, 29, 5, 4, 45, 11, 10, 9, 0, 59}) ExpectShows(frame);
  for (int frame = 20; frame < 34; ++frame) ExpectShows(frame);  // stepping on across a key frame

  // Requests past the end show the last frame, negative ones the first.
  ASSERT_EQ(view_.ShowFrame(500), S_OK);
  ExpectSettlesOn(59);
  ASSERT_EQ(view_.ShowFrame(-3), S_OK);
  ExpectSettlesOn(0);
  ASSERT_EQ(view_.ShowFrame(60), S_OK);
  ExpectSettlesOn(59);
}

TEST_F(Playing, PlayPauseStopAndResume) {
  Open(Card()[0].main_path);
  ExpectShows(0);
  ASSERT_EQ(view_.Play(), S_OK);
  EXPECT_EQ(view_.player_state(), PlayerState::kStarted);
  std::this_thread::sleep_for(400ms);
  const int playing = view_.CurrentFrame();
  EXPECT_GE(playing, 6);
  EXPECT_LE(playing, 20);
  ASSERT_EQ(view_.Pause(), S_OK);
  std::this_thread::sleep_for(100ms);
  const int paused = view_.CurrentFrame();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(view_.CurrentFrame(), paused) << "the picture holds while paused";
  EXPECT_EQ(StripOnScreen(view_), paused);
  ASSERT_EQ(view_.Seek(40), S_OK) << "seeking while paused does nothing";
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(view_.CurrentFrame(), paused);
  ASSERT_EQ(view_.Play(), S_OK);
  std::this_thread::sleep_for(200ms);
  EXPECT_GT(view_.CurrentFrame(), paused) << "play resumes from where it paused";
  EXPECT_LT(view_.CurrentFrame(), paused + 15);
  ASSERT_EQ(view_.Stop(), S_OK);
  std::this_thread::sleep_for(100ms);
  const int stopped = view_.CurrentFrame();
  EXPECT_EQ(StripOnScreen(view_), stopped) << "stop keeps the picture";
}

TEST_F(Playing, SeekWhilePlayingContinuesFromThatFrame) {
  Open(Card()[0].main_path);
  ExpectShows(0);
  ASSERT_EQ(view_.Play(), S_OK);
  std::this_thread::sleep_for(100ms);
  const int before = StripOnScreen(view_);
  ASSERT_GE(before, 0);
  ASSERT_EQ(view_.Seek(45), S_OK);  // not a key frame: the decoder starts at 40
  const std::vector<Sample> samples = SampleStrips(view_, 400ms, 2ms);
  // Until the worker takes the seek the old stretch may go on for a frame or
  // two; then playback goes on from 45: never the run-up from key frame 40,
  // never backwards.
  int first = -1, last = -1;
  for (const Sample& s : samples) {
    ASSERT_GE(s.strip, 0) << "a picture whose strip does not read";
    if (first < 0 && s.strip >= 45) first = s.strip;
    if (first < 0) {
      EXPECT_LE(s.strip, before + 3) << "a frame between the old position and the one asked for";
    } else {
      EXPECT_GE(s.strip, std::max(45, last)) << "playback went back after the seek";
    }
    last = s.strip;
  }
  EXPECT_GE(first, 45);
  EXPECT_LE(first, 47) << "the first picture after the seek is the frame asked for";
  EXPECT_GT(last, first + 3) << "playing goes on from there";
  EXPECT_EQ(view_.view_state(), MovieView::ViewState::kPlaying);
}

TEST_F(Playing, EndOfPresentationPostsEnded) {
  Open(Card()[0].main_path);
  ExpectShows(50);
  ASSERT_EQ(view_.Play(), S_OK);
  // The last ten frames play in order up to the last one.
  const std::vector<Sample> samples = SampleStrips(view_, 450ms, 2ms);
  std::set<int> seen;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    ASSERT_GE(samples[i].strip, 50);
    if (i > 0) {
      EXPECT_GE(samples[i].strip, samples[i - 1].strip) << "playback went back";
    }
    seen.insert(samples[i].strip);
  }
  EXPECT_GE(seen.size(), 7u) << "frames between 50 and 59 were skipped";
  EXPECT_EQ(*seen.rbegin(), 59);
  ASSERT_TRUE(sink_.WaitFor(WM_PLAYER_ENDED, 5s));
  EXPECT_EQ(view_.player_state(), PlayerState::kStopped);
  EXPECT_EQ(StripOnScreen(view_), 59) << "the last frame stays on screen";
  EXPECT_EQ(view_.CurrentFrame(), 59);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(StripOnScreen(view_), 59);
}

// Play after a frame shown from the decoded pictures the player keeps goes
// on from that frame, whatever the decoder read last.
TEST_F(Playing, PlayGoesOnFromAFrameShownFromTheKeptPictures) {
  Open(Card()[0].main_path);
  ExpectShows(25);
  ExpectShows(21);  // stepping back within the stretch just decoded
  ASSERT_EQ(view_.Play(), S_OK);
  const std::vector<Sample> stepped_back = SampleStrips(view_, 300ms, 2ms);
  bool next_frames = false;
  for (const Sample& s : stepped_back) next_frames = next_frames || (s.strip >= 22 && s.strip <= 24);
  EXPECT_TRUE(next_frames) << "the frames after 21 were skipped; last seen " << stepped_back.back().strip;
  ASSERT_TRUE(sink_.WaitFor(WM_PLAYER_ENDED, 5s));

  // After the end every frame of this short recording is kept.
  ASSERT_EQ(view_.Stop(), S_OK);
  sink_.Clear();
  ExpectShows(30);
  ASSERT_EQ(view_.Play(), S_OK);
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(sink_.WaitFor(WM_PLAYER_ENDED, 0ms)) << "playing from frame 30 ended at once";
  const int later = StripOnScreen(view_);
  EXPECT_GT(later, 32);
  EXPECT_LT(later, 50);
}

TEST_F(Playing, OperationsBeforeOpenAndPlayRules) {
  EXPECT_EQ(view_.Play(), E_UNEXPECTED);
  EXPECT_EQ(view_.CurrentFrame(), 0);
  EXPECT_EQ(view_.ShowFrame(3), 0);
  Open(Card()[0].main_path);
  EXPECT_EQ(view_.player()->Pause(), MF_E_INVALIDREQUEST) << "nothing is started";
  ASSERT_EQ(view_.Play(), S_OK);
  EXPECT_EQ(view_.player()->Play(), MF_E_INVALIDREQUEST) << "play is allowed only when paused or stopped";
}

TEST_F(Playing, RatesAndTheHalfSpeedToggle) {
  Open(Card()[0].main_path);
  ASSERT_EQ(view_.SetRate(-1), S_OK);
  EXPECT_EQ(view_.rate_code(), -2);
  EXPECT_EQ(view_.player()->clock().rate(), 0.5);
  ASSERT_EQ(view_.SetRate(-1), S_OK);
  EXPECT_EQ(view_.rate_code(), 1);
  EXPECT_EQ(view_.player()->clock().rate(), 1.0);
  ASSERT_EQ(view_.SetRate(4), S_OK);
  EXPECT_EQ(view_.player()->clock().rate(), 4.0);
  ASSERT_EQ(view_.SetRate(-4), S_OK);
  EXPECT_EQ(view_.player()->clock().rate(), 0.25);
}

TEST_F(Playing, FourTimesSpeedPlaysFourTimesAsFast) {
  Open(screen::Clip(8).main_path);
  ExpectShows(0);
  ASSERT_EQ(view_.Play(), S_OK);
  std::this_thread::sleep_for(150ms);
  const std::vector<Sample> normal = SampleStrips(view_, 1000ms);
  ASSERT_EQ(view_.SetRate(4), S_OK);
  std::this_thread::sleep_for(150ms);
  const std::vector<Sample> fast = SampleStrips(view_, 1000ms);
  ASSERT_FALSE(sink_.WaitFor(WM_PLAYER_ENDED, 0ms)) << "the clip is long enough to measure";
  for (const auto* run : {&normal, &fast}) {
    for (const Sample& s : *run) ASSERT_GE(s.strip, 0) << "a picture whose strip does not read";
  }
  const double x1 = MediaSpeed(normal, 30.0), x4 = MediaSpeed(fast, 30.0);
  EXPECT_NEAR(x1, 1.0, 0.1);
  EXPECT_NEAR(x4 / x1, 4.0, 0.4) << "x1 " << x1 << ", x4 " << x4;
  for (const Sample& s : fast) EXPECT_EQ(s.strip % 10, 0) << "above x2 only key frames play: " << s.strip;
}

TEST_F(Playing, SlowMotionStepsToTheParent) {
  testfiles::TempDir dir;
  samplecard::CardOptions o;
  o.recordings = 1;
  o.seconds = 0.1;  // three frames
  auto clip = samplecard::WriteSampleCard(dir.path(), o);
  ASSERT_TRUE(clip);
  Open(clip->front().main_path);
  ExpectShows(0);
  view_.set_slow_step_period(30ms);
  ASSERT_EQ(view_.SlowMotion(1.0), S_OK);
  ASSERT_TRUE(parent_.WaitFor(WM_SLOW_STEP_END, 3s));
  const auto steps = parent_.MessagesOf(WM_SLOW_STEP);
  ASSERT_EQ(steps.size(), 3u);
  for (std::size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].lparam, static_cast<std::intptr_t>(i));
  EXPECT_EQ(parent_.MessagesOf(WM_SLOW_STEP_END)[0].lparam, 3);
  EXPECT_TRUE(sink_.MessagesOf(WM_SLOW_STEP).empty()) << "slow-motion messages go to the owner's parent";
  ASSERT_EQ(view_.SlowMotion(0.0), S_OK);
}

TEST_F(Playing, SavePictureWritesTheFrameOnScreen) {
  Open(Card()[0].main_path);
  ExpectShows(23);
  testfiles::TempDir dir;
  const fs::path jpeg = dir / "still.jpg";
  ASSERT_TRUE(view_.SavePicture(jpeg));
  QImage saved(QString::fromStdString(jpeg.string()));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), QSize(320, 180));
  EXPECT_EQ(StripOf(saved), 23);
  EXPECT_FALSE(view_.SavePicture(dir / "missing" / "x.jpg"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(Playing, RotationAspectZoomAndOverlay) {
  Open(Card()[0].main_path);
  ExpectShows(12);
  const QImage plain = view_.Compose(QSize(320, 180));
  EXPECT_EQ(StripOf(plain), 12);
  view_.Rotate180(true);
  const QImage turned = view_.Compose(QSize(320, 180));
  EXPECT_EQ(StripOf(turned.mirrored(true, true)), 12) << "the picture is turned by 180 degrees";
  view_.Rotate180(false);

  view_.SetAspectMode(1);
  const QImage kept = view_.Compose(QSize(320, 320));
  EXPECT_EQ(qGray(kept.pixel(160, 5)), 0) << "letterbox bars keep the aspect ratio";
  view_.SetAspectMode(0);
  const QImage stretched = view_.Compose(QSize(320, 320));
  EXPECT_GT(qGray(stretched.pixel(160, 150)), 30);

  view_.SetAspectMode(1);
  // How far the view is from the given part of the frame, enlarged on its own.
  const QImage frame = view_.FrameOnScreen().image;
  const auto from = [&](const QRectF& part) {
    return screen::MeanDifference(view_.Compose(QSize(320, 180)), screen::Enlarged(frame, part, QSize(320, 180)));
  };
  view_.ZoomAndPan(2.0, 0.5, 0.5);
  EXPECT_LT(from(QRectF(0.5, 0.5, 0.5, 0.5)), 2.0) << "the bottom-right quarter fills the view";
  EXPECT_GT(from(QRectF(0, 0, 0.5, 0.5)), 20.0);
  EXPECT_GT(from(QRectF(0, 0, 1, 1)), 20.0);
  view_.ZoomAndPan(4.0, 0.25, 0.5);
  EXPECT_LT(from(QRectF(0.25, 0.5, 0.25, 0.25)), 2.0) << "a quarter of the width from the left, half-way down";
  view_.ZoomAndPan(2.0, 0.9, -1.0);
  EXPECT_LT(from(QRectF(0.5, 0, 0.5, 0.5)), 2.0) << "offsets are kept inside the picture";
  view_.ZoomAndPan(1.0, 0, 0);
  EXPECT_LT(from(QRectF(0, 0, 1, 1)), 1.0) << "back to the whole picture";

  view_.OverlayText("12 km/h");
  const QImage overlaid = view_.Compose(QSize(640, 360));
  int green = 0;
  for (int y = 360 - 240; y < 360; ++y) {
    for (int x = 640 - 600; x < 640; ++x) {
      const QRgb p = overlaid.pixel(x, y);
      green += qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60;
    }
  }
  EXPECT_GT(green, 100) << "green text in the bottom-right corner";
  view_.RestoreOverlay();
}

// The window paints on its own thread of control while the view is opened,
// closed, turned, zoomed and given an overlay: every picture it composes is
// whole, and none reads a player that is being replaced.
TEST_F(Playing, PaintingWhileTheViewChangesReadsAWholeState) {
  std::atomic<bool> done{false};
  std::atomic<int> composed{0}, wrong_size{0};
  const QSize size(1280, 720);  // large, so that each compose takes a while
  std::thread painter([&] {
    while (!done) {
      if (view_.Compose(size).size() != size) ++wrong_size;
      ++composed;
    }
  });
  for (int round = 0; round < 12; ++round) {
    Open(Card()[round % 2].main_path);
    view_.OverlayText("12 km/h");
    view_.Rotate180(round % 2 == 0);
    view_.ZoomAndPan(2.0, 0.25, 0.25);
    view_.ShowFrame(round * 3);
    std::this_thread::sleep_for(5ms);
    view_.RestoreOverlay();
    view_.OverlayText("34 km/h");
    view_.Close();
    std::this_thread::sleep_for(2ms);
  }
  done = true;
  painter.join();
  EXPECT_GT(composed, 12);
  EXPECT_EQ(wrong_size, 0);
}

TEST_F(Playing, SensorDataIsLoadedAndIndexed) {
  Open(Card()[0].main_path);
  ASSERT_EQ(view_.LoadSensorData(Card()[0].main_path), 1);
  EXPECT_EQ(view_.sensor_data().frame_index().size(), 60u);
  ASSERT_EQ(view_.LoadSensorData(Card()[1].main_path), 1) << "another recording's data replaces it";
  EXPECT_EQ(static_cast<int>(view_.sensor_data().gps().size()), Card()[1].records);
  // Data decoded elsewhere is swapped in and indexed by this recording's frames.
  recording::SensorDataFile decoded;
  ASSERT_TRUE(decoded.Load(recording::DataPath(Card()[0].main_path)));
  ASSERT_EQ(view_.TakeSensorData(decoded), 1);
  EXPECT_EQ(view_.sensor_data().frame_index().size(), 60u);
  EXPECT_EQ(static_cast<int>(view_.sensor_data().gps().size()), Card()[0].records);
  EXPECT_EQ(view_.sensor_data().path(), recording::DataPath(Card()[0].main_path));
  EXPECT_TRUE(decoded.accel().empty());
}

struct BadFile {
  const char* name;
  std::function<testfiles::Bytes(const testfiles::Bytes&)> make;
  HRESULT result;
  friend void PrintTo(const BadFile& b, std::ostream* os) { *os << b.name; }
};

class BadFiles : public Playing, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadFiles, FailWithAResultAndNeverCrash) {
  testfiles::TempDir dir;
  const fs::path path = dir / "bad.MOV";
  testfiles::WriteFile(path, GetParam().make(testfiles::ReadFile(Card()[0].main_path)));
  const HRESULT hr = view_.Open(path);
  EXPECT_EQ(hr, GetParam().result);
  if (Failed(hr)) {
    ASSERT_FALSE(errors_.empty());
    EXPECT_EQ(errors_.back().first, hr);
  }
}

testfiles::Bytes Replace(testfiles::Bytes b, const std::string& from, const std::string& to) {
  const std::string moov = "moov";
  auto at = std::search(std::search(b.begin(), b.end(), moov.begin(), moov.end()), b.end(), from.begin(), from.end());
  if (at != b.end()) std::copy(to.begin(), to.end(), at);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Player, BadFiles,
    ::testing::Values(
        BadFile{"no_ftyp",
                [](const testfiles::Bytes& b) {
                  auto out = b;
                  std::copy_n("xxxx", 4, out.begin() + 4);
                  return out;
                },
                E_INVALIDARG},
        BadFile{"unsupported_codec", [](const testfiles::Bytes& b) { return Replace(b, "avc1", "zzz9"); }, VFW_E_NO_DECODER},
        BadFile{"zero_frame_duration",
                [](const testfiles::Bytes& b) {
                  auto out = b;
                  const std::string mvhd = "mvhd";
                  auto at = std::search(out.begin(), out.end(), mvhd.begin(), mvhd.end());
                  std::fill(at + 4 + 16, at + 4 + 20, 0);  // movie duration 0
                  return out;
                },
                E_INVALIDARG},
        // FFmpeg still opens it; indexing sensor data by frame would
        // allocate 16 GiB for the count the video's stts claims.
        BadFile{"frame_count_past_the_file",
                [](const testfiles::Bytes& b) {
                  auto out = b;
                  const std::string moov = "moov", stts = "stts";
                  auto at = std::search(std::search(out.begin(), out.end(), moov.begin(), moov.end()), out.end(),
                                        stts.begin(), stts.end());
                  // The first entry's sample count: 0x7FFFFFFF frames.
                  std::copy_n("\x7F\xFF\xFF\xFF", 4, at + 4 + 8);
                  return out;
                },
                E_INVALIDARG}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlayingRepaints, PresentedFramesAndRepaintAskTheWindowToPaint) {
  platform::RecordingSink sink;
  std::atomic<int> repaints{0};
  MovieView view(&sink, &sink, [&] { ++repaints; });
  view.SetUp("Noto Sans CJK JP");
  ASSERT_EQ(view.Open(Card()[0].main_path), S_OK);
  while (!view.media_ready()) std::this_thread::sleep_for(5ms);
  ASSERT_EQ(view.ShowFrame(4), S_OK);
  ASSERT_TRUE(view.WaitForFrame(4, 5s));
  const int before = repaints;
  EXPECT_GT(before, 0);
  ASSERT_EQ(view.Repaint(), S_OK);
  ASSERT_EQ(view.Redraw(), S_OK);
  EXPECT_EQ(repaints, before + 2);
  EXPECT_EQ(view.FrameOnScreen().frame, 4) << "repainting shows the same frame again";
}

// The open decodes the first picture and keeps it: playing straight after
// the open starts with it, and the pictures after it follow once each.
TEST(PlayingRepaints, PlayRightAfterTheOpenStartsWithFrameZero) {
  platform::RecordingSink sink;
  std::mutex lock;
  std::vector<int> strips;  // of every picture presented, in order
  MovieView* shown = nullptr;
  MovieView view(&sink, &sink, [&] {
    std::lock_guard guard(lock);
    if (shown != nullptr && strips.size() < 10) strips.push_back(StripOf(shown->FrameOnScreen().image));
  });
  view.SetUp("Noto Sans CJK JP");
  {
    std::lock_guard guard(lock);
    shown = &view;
  }
  ASSERT_EQ(view.Open(Card()[0].main_path), S_OK);
  ASSERT_TRUE(sink.WaitFor(WM_PLAYER_READY, 5s));
  ASSERT_EQ(view.Play(), S_OK);
  const auto until = std::chrono::steady_clock::now() + 5s;
  for (;;) {
    {
      std::lock_guard guard(lock);
      if (strips.size() >= 5 || std::chrono::steady_clock::now() > until) break;
    }
    std::this_thread::sleep_for(2ms);
  }
  ASSERT_EQ(view.Pause(), S_OK);
  std::lock_guard guard(lock);
  shown = nullptr;
  ASSERT_GE(strips.size(), 5u);
  EXPECT_EQ(strips[0], 0) << "the first picture presented";
  for (std::size_t i = 1; i < strips.size(); ++i) EXPECT_GT(strips[i], strips[i - 1]) << "picture " << i;
}

TEST_F(Playing, AMissingFileFailsAndTheNextOpensAsEver) {
  // A pair whose rear file is missing never asks for it; a view asked
  // anyway fails alone.
  testfiles::TempDir dir;
  EXPECT_EQ(view_.Open(dir / "Sub_" / "A__-240301-101500-000101S.MOV"), E_INVALIDARG);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].first, E_INVALIDARG);
  EXPECT_EQ(view_.view_state(), MovieView::ViewState::kNothing);
  EXPECT_EQ(view_.Play(), E_UNEXPECTED);
  Open(Card()[0].main_path);
  ExpectShows(3);
}

// The last frame whose data lies wholly within the first size bytes of a
// recording without B-frames, by ffprobe's packet positions; -1 for none.
int LastFrameWithin(const fs::path& path, std::uint64_t size) {
  const std::string rows = testfiles::Run(
      "ffprobe -v error -select_streams v:0 -show_entries packet=pos,size -of csv=p=0 '" + path.string() + "'");
  int last = -1, frame = 0;
  for (std::size_t at = 0; at < rows.size(); ++frame) {
    const std::size_t end = std::min(rows.find('\n', at), rows.size());
    const std::string_view row(rows.data() + at, end - at);
    const std::size_t comma = row.find(',');
    std::uint64_t bytes = 0, pos = 0;
    // ffprobe writes the fields in its own order: size, then pos.
    std::from_chars(row.data(), row.data() + comma, bytes);
    std::from_chars(row.data() + comma + 1, row.data() + row.size(), pos);
    if (pos + bytes > size) break;
    last = frame;
    at = end + 1;
  }
  return last;
}

TEST_F(Playing, TruncatedMediaAndAFileRemovedWhilePlaying) {
  testfiles::TempDir dir;
  const fs::path cut = dir / "cut.MOV";
  auto bytes = testfiles::ReadFile(Card()[0].main_path);
  testfiles::WriteFile(cut, bytes);
  const int last = LastFrameWithin(cut, bytes.size() / 3);
  ASSERT_GT(last, 10);
  ASSERT_LT(last, 50);
  Open(cut);
  ExpectShows(2);
  ASSERT_EQ(truncate(cut.c_str(), static_cast<off_t>(bytes.size() / 3)), 0);

  // Past the cut: the last frame that can still be decoded, and a result
  // that says the frame asked for is not there. Never the old picture.
  const HRESULT past = view_.ShowFrame(50);
  EXPECT_NE(past, S_OK) << "the request past the decodable end reports success";
  EXPECT_EQ(WaitForStrip(view_, last, 3s), last) << "the last decodable frame is " << last;
  EXPECT_EQ(view_.CurrentFrame(), last);
  // Before the cut every frame is still exact.
  ExpectShows(last - 4);
  ExpectShows(last);

  // Playing on from the last decodable frame ends there, the picture kept.
  sink_.Clear();
  ASSERT_EQ(view_.Play(), S_OK);
  EXPECT_TRUE(sink_.WaitFor(WM_PLAYER_ENDED, 5s));
  EXPECT_EQ(StripOnScreen(view_), last);
  fs::remove(cut);
  ASSERT_EQ(view_.ShowFrame(1), S_OK);
  EXPECT_EQ(WaitForStrip(view_, 1, 3s), 1) << "the open file is still readable after its name is gone";
  ASSERT_EQ(view_.Play(), S_OK);
  std::this_thread::sleep_for(100ms);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(view_.Close(), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(view_.view_state(), MovieView::ViewState::kNothing);
  EXPECT_EQ(StripOnScreen(view_), -1) << "a closed view shows no picture";
  EXPECT_EQ(view_.FrameCount(), 0);
}

}  // namespace
}  // namespace player
