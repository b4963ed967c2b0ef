#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <thread>

#include "TestFiles.h"
#include "player/MovieView.h"
#include "tools/samplecard/FrameStamp.h"

namespace player {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Two-second recordings, key frame every 10 frames; the rear camera at 15 fps.
const std::vector<samplecard::WrittenRecording>& Card() {
  static testfiles::TempDir* dir = new testfiles::TempDir;
  static const auto card = [] {
    samplecard::CardOptions o;
    o.recordings = 2;
    o.seconds = 2;
    o.gop = 10;
    o.sub_fps = 15;
    auto written = samplecard::WriteSampleCard(dir->path(), o);
    if (!written) throw std::runtime_error(written.error());
    return written.take();
  }();
  return card;
}

// The frame number the strip of a picture reads.
int StripOf(const QImage& picture) {
  if (picture.isNull()) return -2;
  const QImage gray = picture.convertToFormat(QImage::Format_Grayscale8);
  return samplecard::ReadFrameNumber(gray.constBits(), gray.width(), gray.height(), static_cast<int>(gray.bytesPerLine()));
}

class Playing : public ::testing::Test {
 protected:
  void SetUp() override {
    view_.SetUp("Noto Sans CJK JP");
    view_.set_error_sink([this](HRESULT hr, const std::string& text, const std::string&) { errors_.push_back({hr, text}); });
  }
  void Open(const fs::path& path) {
    ASSERT_EQ(view_.Open(path), S_OK);
    ASSERT_TRUE(sink_.WaitFor(WM_PLAYER_READY, 5s));
    ASSERT_TRUE(view_.media_ready());
  }
  void ExpectShows(int frame) {
    ASSERT_EQ(view_.ShowFrame(frame), S_OK);
    ASSERT_TRUE(view_.WaitForFrame(frame, 5s)) << "frame " << frame << ", on screen " << view_.FrameOnScreen().frame;
    EXPECT_EQ(StripOf(view_.FrameOnScreen().image), frame);
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

  ASSERT_EQ(view_.ShowFrame(500), S_OK);
  EXPECT_TRUE(view_.WaitForFrame(59, 5s)) << "requests past the end show the last frame";
  ASSERT_EQ(view_.ShowFrame(-3), S_OK);
  EXPECT_TRUE(view_.WaitForFrame(0, 5s));
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
  EXPECT_EQ(StripOf(view_.FrameOnScreen().image), paused);
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
  EXPECT_EQ(StripOf(view_.FrameOnScreen().image), stopped) << "stop keeps the picture";
}

TEST_F(Playing, SeekWhilePlayingContinuesFromThatFrame) {
  Open(Card()[0].main_path);
  ExpectShows(0);
  ASSERT_EQ(view_.Play(), S_OK);
  std::this_thread::sleep_for(100ms);
  ASSERT_EQ(view_.Seek(40), S_OK);
  const auto start = std::chrono::steady_clock::now();
  int seen = -1;
  while (std::chrono::steady_clock::now() - start < 2s && (seen = view_.CurrentFrame()) < 40) std::this_thread::sleep_for(2ms);
  EXPECT_GE(seen, 40);
  EXPECT_LT(seen, 46);
  std::this_thread::sleep_for(150ms);
  EXPECT_GT(view_.CurrentFrame(), 42);
}

TEST_F(Playing, EndOfPresentationPostsEnded) {
  Open(Card()[0].main_path);
  ExpectShows(50);
  ASSERT_EQ(view_.Play(), S_OK);
  ASSERT_TRUE(sink_.WaitFor(WM_PLAYER_ENDED, 5s));
  EXPECT_EQ(view_.player_state(), PlayerState::kStopped);
  EXPECT_EQ(view_.CurrentFrame(), 59) << "the last frame stays on screen";
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
  ExpectShows(0);
  ASSERT_EQ(view_.Play(), S_OK);
  ASSERT_TRUE(sink_.WaitFor(WM_PLAYER_ENDED, 3s)) << "x4 plays the two seconds in about half a second";
  ASSERT_EQ(view_.SetRate(-4), S_OK);
  EXPECT_EQ(view_.player()->clock().rate(), 0.25);
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
  view_.ZoomAndPan(2.0, 0.5, 0.5);
  const QImage zoomed = view_.Compose(QSize(320, 180));
  EXPECT_EQ(StripOf(zoomed), -1) << "the bottom-right quarter fills the view";
  view_.ZoomAndPan(1.0, 0, 0);

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

TEST_F(Playing, TwoViewsAtDifferentRatesShowTheSameMoment) {
  MovieView rear(&sink_, &parent_, {});
  rear.SetUp("Noto Sans CJK JP");
  Open(Card()[1].main_path);
  ASSERT_EQ(rear.Open(Card()[1].sub_path), S_OK);
  for (int i = 0; i < 500 && !rear.media_ready(); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(rear.media_ready());
  for (int front : {0, 21, 40, 59}) {
    ExpectShows(front);
    // Past the rear file's last frame the request is clamped to it.
    const int expected = recording::RearFrameFor(front, view_.timing(), rear.timing());
    ASSERT_EQ(rear.ShowFrame(expected), S_OK);
    ASSERT_TRUE(rear.WaitForFrame(expected, 5s)) << "rear frame " << expected << ", on screen " << rear.FrameOnScreen().frame;
    EXPECT_EQ(StripOf(rear.FrameOnScreen().image), expected);
    EXPECT_EQ(expected, std::min(front / 2, 29)) << "the rear frame under way at the front frame's start";
  }
}

TEST_F(Playing, SensorDataIsLoadedAndIndexed) {
  Open(Card()[0].main_path);
  ASSERT_EQ(view_.LoadSensorData(Card()[0].main_path), 1);
  EXPECT_EQ(view_.sensor_data().frame_index().size(), 60u);
  ASSERT_TRUE(view_.PreloadSensorData(Card()[1].main_path));
  ASSERT_EQ(view_.LoadSensorData(Card()[1].main_path), 1) << "the preload is moved in";
  EXPECT_EQ(static_cast<int>(view_.sensor_data().gps().size()), Card()[1].records);
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

TEST_F(Playing, MissingRearFileFailsOnlyThatView) {
  MovieView rear(&sink_, &parent_, {});
  rear.SetUp("Noto Sans CJK JP");
  std::vector<HRESULT> reported;
  rear.set_error_sink([&](HRESULT hr, const std::string&, const std::string&) { reported.push_back(hr); });
  testfiles::TempDir dir;
  EXPECT_EQ(rear.Open(dir / "Sub_" / "A__-240301-101500-000101S.MOV"), E_INVALIDARG);
  EXPECT_EQ(reported, std::vector<HRESULT>{E_INVALIDARG});
  EXPECT_EQ(rear.view_state(), MovieView::ViewState::kNothing);
  EXPECT_EQ(rear.Play(), E_UNEXPECTED);
  Open(Card()[0].main_path);  // the front view plays on
  ExpectShows(3);
}

TEST_F(Playing, TruncatedMediaAndAFileRemovedWhilePlaying) {
  testfiles::TempDir dir;
  const fs::path cut = dir / "cut.MOV";
  auto bytes = testfiles::ReadFile(Card()[0].main_path);
  testfiles::WriteFile(cut, bytes);
  Open(cut);
  ExpectShows(2);
  ASSERT_EQ(truncate(cut.c_str(), static_cast<off_t>(bytes.size() / 3)), 0);
  view_.ShowFrame(50);
  std::this_thread::sleep_for(300ms);
  ASSERT_EQ(view_.Play(), S_OK);
  fs::remove(cut);
  std::this_thread::sleep_for(300ms);
  const auto start = std::chrono::steady_clock::now();
  view_.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(view_.view_state(), MovieView::ViewState::kNothing);
}

}  // namespace
}  // namespace player
