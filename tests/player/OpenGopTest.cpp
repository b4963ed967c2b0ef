// Show-frame on files written by the ffmpeg CLI with open GOPs, where the
// pictures just before a key frame in display order follow it in decode
// order and decode only from the key frame before. Each picture is compared
// with ffmpeg's own decode of the same file.
#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "TestFiles.h"
#include "ViewUnderTest.h"

namespace player {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320, kHeight = 240;

struct Encoding {
  const char* name;
  const char* options;  // ffmpeg's video codec options
  friend void PrintTo(const Encoding& e, std::ostream* os) { *os << e.name; }
};

// A three-second clip and every frame as ffmpeg decodes it, in display order.
struct ForeignClip {
  fs::path path;
  std::vector<QImage> frames;
  std::vector<int> key_frames;  // display numbers
};

ForeignClip MakeClip(const fs::path& dir, const Encoding& e) {
  ForeignClip clip;
  clip.path = dir / (std::string(e.name) + ".MOV");
  int status = 0;
  const std::string log = testfiles::Run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=320x240:rate=30 -t 3 -pix_fmt yuv420p " +
                                             std::string(e.options) + " -movflags +faststart -f mov '" + clip.path.string() + "' 2>&1",
                                         &status);
  if (status != 0) throw std::runtime_error("ffmpeg cannot write " + clip.path.string() + ": " + log);
  const std::string raw =
      testfiles::Run("ffmpeg -nostdin -v error -i '" + clip.path.string() + "' -f rawvideo -pix_fmt rgb24 -", &status);
  const std::size_t size = kWidth * kHeight * 3;
  for (std::size_t at = 0; at + size <= raw.size(); at += size) {
    clip.frames.push_back(
        QImage(reinterpret_cast<const uchar*>(raw.data() + at), kWidth, kHeight, kWidth * 3, QImage::Format_RGB888).copy());
  }
  std::istringstream keys(testfiles::Run("ffprobe -v error -select_streams v:0 -show_entries frame=key_frame -of csv=p=0 '" +
                                         clip.path.string() + "'"));
  std::string line;
  for (int frame = 0; std::getline(keys, line);) {
    if (line.empty()) continue;  // ffprobe's line for side data
    if (line[0] == '1') clip.key_frames.push_back(frame);
    ++frame;
  }
  return clip;
}

double MeanDifference(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
  if (x.size() != y.size()) return 255.0;
  std::int64_t sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    const uchar* p = x.constScanLine(row);
    const uchar* q = y.constScanLine(row);
    for (int i = 0; i < x.width() * 3; ++i) sum += std::abs(p[i] - q[i]);
  }
  return static_cast<double>(sum) / (x.width() * x.height() * 3);
}

// The frame of ffmpeg's decode nearest to the picture, among those around
// the expected one (neighbours differ by about 4 levels on average).
int NearestFrame(const ForeignClip& clip, const QImage& picture, int expected, double* difference) {
  int nearest = -1;
  *difference = 1e9;
  for (int f = std::max(0, expected - 4); f < std::min<int>(clip.frames.size(), expected + 5); ++f) {
    const double d = MeanDifference(picture, clip.frames[f]);
    if (d < *difference) {
      *difference = d;
      nearest = f;
    }
  }
  return nearest;
}

class OpenGop : public ::testing::TestWithParam<Encoding> {};

TEST_P(OpenGop, ShowsTheFramesBeforeEachKeyFrameAndStepsBackAcrossThem) {
  testfiles::TempDir dir;
  const ForeignClip clip = MakeClip(dir.path(), GetParam());
  ASSERT_EQ(clip.frames.size(), 90u);
  ASSERT_GE(clip.key_frames.size(), 3u) << "the clip needs key frames after the first";
  ViewUnderTest t;
  ASSERT_TRUE(t.Open(clip.path));
  ASSERT_EQ(t.view.FrameCount(), 90);

  // Every frame of a small clip fits in the view's cache, so each run starts
  // from a frame far enough away that nothing near the key frame is decoded.
  // Frame 0 first: straight after the open, the picture it decoded.
  std::vector<int> requests{0};
  for (std::size_t k = 1; k < clip.key_frames.size(); ++k) {
    const int key = clip.key_frames[k];
    const int afar = key > 45 ? 0 : 89;
    // Straight to the frames before the key frame...
    for (int f : {afar, key - 1, key - 2}) requests.push_back(f);
    // ...and stepping back from after it across it.
    for (int f : {afar, key + 1, key, key - 1, key - 2, key - 3}) requests.push_back(f);
  }
  for (int frame : requests) {
    ASSERT_EQ(t.view.ShowFrame(frame), S_OK) << t.view.reason();
    ASSERT_TRUE(t.view.WaitForFrame(frame, std::chrono::seconds(5)))
        << "frame " << frame << ", on screen " << t.view.FrameOnScreen().frame;
    double difference = 0;
    EXPECT_EQ(NearestFrame(clip, t.view.FrameOnScreen().image, frame, &difference), frame) << "asked for frame " << frame;
    EXPECT_LT(difference, 1.0) << "frame " << frame << " differs from ffmpeg's decode";
  }
  EXPECT_TRUE(t.failures.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Player, OpenGop,
    ::testing::Values(
        // x265 at its defaults has open GOPs; only the key-frame interval is
        // shortened so that a three-second clip has several.
        Encoding{"hevc_x265_defaults", "-c:v libx265 -tag:v hvc1 -x265-params log-level=error:keyint=30:min-keyint=30"},
        // Fixed B-frame runs, so that the two frames before each key frame
        // are always B-frames that follow it in decode order.
        Encoding{"h264_open_gop_two_b_frames", "-c:v libx264 -g 30 -bf 2 -x264-params open-gop=1:b-adapt=0"},
        // The sound as the first track, the pictures at the NTSC rate.
        Encoding{"h264_b_frames_sound_track_first_29_97fps",
                 "-filter_complex sine=duration=3,aformat=channel_layouts=stereo'[a]' -map '[a]' -map 0:v -c:a aac "
                 "-r 30000/1001 -c:v libx264 -g 30 -bf 2 -x264-params open-gop=1:b-adapt=0"},
        Encoding{"hevc_sound_track_first",
                 "-filter_complex sine=duration=3'[a]' -map '[a]' -map 0:v -c:a aac -c:v libx265 -tag:v hvc1 "
                 "-x265-params log-level=error:keyint=30:min-keyint=30"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace player
