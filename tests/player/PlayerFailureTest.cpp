// Files the player cannot play as asked: each failure comes with the
// result the view operations give and the reason beside it; pictures that
// do not decode and files that end early are said so, never passed off as
// the frame asked for.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <cstdlib>
#include <sstream>

#include "TestFiles.h"
#include "ViewUnderTest.h"

namespace player {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The first box of this type at the top level: its offset and size.
std::pair<std::size_t, std::size_t> TopLevelBox(const testfiles::Bytes& b, const std::string& type) {
  for (std::size_t at = 0; at + 8 <= b.size();) {
    const std::size_t size = (std::size_t{b[at]} << 24) | (std::size_t{b[at + 1]} << 16) | (std::size_t{b[at + 2]} << 8) | b[at + 3];
    if (std::equal(type.begin(), type.end(), b.begin() + at + 4)) return {at, size};
    if (size < 8) break;
    at += size;
  }
  throw std::runtime_error("no " + type + " box");
}

// Zeroes the media data of a recording in place: the boxes stay as they are.
testfiles::Bytes ZeroMediaData(testfiles::Bytes b) {
  const auto [at, size] = TopLevelBox(b, "mdat");
  std::fill(b.begin() + at + 8, b.begin() + at + size, 0);
  return b;
}

testfiles::Bytes ZeroMvhdTimescale(testfiles::Bytes b) {
  const auto [at, size] = TopLevelBox(b, "moov");
  const std::string mvhd = "mvhd";
  auto box = std::search(b.begin() + at, b.begin() + at + size, mvhd.begin(), mvhd.end());
  std::fill(box + 4 + 12, box + 4 + 16, 0);
  return b;
}

testfiles::Bytes RenameCodec(testfiles::Bytes b) {
  const auto [at, size] = TopLevelBox(b, "moov");
  const std::string avc1 = "avc1";
  auto entry = std::search(b.begin() + at, b.begin() + at + size, avc1.begin(), avc1.end());
  std::copy_n("zzz9", 4, entry);
  return b;
}

struct BadRecording {
  const char* name;
  testfiles::Bytes (*make)(testfiles::Bytes);
  HRESULT result;
  const char* why;  // what the reason must say
  friend void PrintTo(const BadRecording& b, std::ostream* os) { *os << b.name; }
};

class OpenFailures : public ::testing::TestWithParam<BadRecording> {};

TEST_P(OpenFailures, ReachTheSinkWithTheirResultAndReason) {
  testfiles::TempDir dir;
  const fs::path path = dir / "A__-240301-101500-000100M.MOV";
  testfiles::WriteFile(path, GetParam().make(testfiles::ReadFile(SmallRecording().main_path)));
  ViewUnderTest t;
  EXPECT_EQ(t.view.Open(path), GetParam().result);
  ASSERT_EQ(t.failures.size(), 1u);
  const auto& failure = t.failures.front();
  EXPECT_EQ(failure.hr, GetParam().result);
  EXPECT_EQ(failure.text, ErrorText(GetParam().result)) << "the result's own text stays";
  EXPECT_NE(failure.why.find(path.filename().string()), std::string::npos) << failure.why;
  EXPECT_NE(failure.why.find(GetParam().why), std::string::npos) << failure.why;
  EXPECT_EQ(t.view.reason(), failure.why);
  EXPECT_FALSE(t.view.media_ready());
  EXPECT_EQ(t.view.view_state(), MovieView::ViewState::kNothing);
}

INSTANTIATE_TEST_SUITE_P(
    Player, OpenFailures,
    ::testing::Values(
        BadRecording{"text_file", [](testfiles::Bytes) { return testfiles::Text(std::string(400, 'x')); }, E_INVALIDARG,
                     "not a recording"},
        BadRecording{"mvhd_timescale_zero", ZeroMvhdTimescale, E_INVALIDARG, "mvhd timescale is 0"},
        BadRecording{"unknown_codec", RenameCodec, VFW_E_NO_DECODER, "no video decoder"},
        BadRecording{"media_data_zeroed", ZeroMediaData, E_INVALIDARG, "no picture decodes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlayTool, ExitsWithAFailureAndTheReasonWhenItCannotOpen) {
  testfiles::TempDir dir;
  const fs::path path = dir / "A__-240301-101500-000100M.MOV";
  testfiles::WriteFile(path, ZeroMvhdTimescale(testfiles::ReadFile(SmallRecording().main_path)));
  int status = 0;
  const std::string out =
      testfiles::Run("QT_QPA_PLATFORM=offscreen '" BRENNOVALE_PLAY "' '" + path.string() + "' 2>&1", &status);
  EXPECT_NE(status, 0) << out;
  EXPECT_NE(out.find("E_INVALIDARG"), std::string::npos) << out;
  EXPECT_NE(out.find("mvhd timescale is 0"), std::string::npos) << out;
}

class ChangedWhileOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = testfiles::ReadFile(SmallRecording().main_path);
    testfiles::WriteFile(path_, bytes_);
    ASSERT_TRUE(t_.Open(path_));
    ASSERT_EQ(t_.view.ShowFrame(2), S_OK);
    ASSERT_TRUE(t_.view.WaitForFrame(2, 5s));
  }
  testfiles::TempDir dir_;
  const fs::path path_ = dir_ / "A__-240301-101500-000100M.MOV";
  testfiles::Bytes bytes_;
  ViewUnderTest t_;
};

// The last video frame whose data lies wholly within the first size bytes,
// by ffprobe's packet positions (frames in decode order = display order:
// the sample cards have no B-frames).
int LastWholeFrame(const fs::path& path, std::size_t size) {
  std::istringstream rows(testfiles::Run("ffprobe -v error -select_streams v:0 -show_entries packet=size,pos -of csv=p=0 '" +
                                         path.string() + "'"));
  int last = -1;
  std::size_t bytes = 0, pos = 0;
  char comma = 0;
  // ffprobe writes size before pos.
  for (int frame = 0; rows >> bytes >> comma >> pos && pos + bytes <= size; ++frame) last = frame;
  return last;
}

TEST_F(ChangedWhileOpen, CutShortShowsTheLastDecodableFrameAndSaysSo) {
  const auto [mdat, mdat_size] = TopLevelBox(bytes_, "mdat");
  // The cut falls in the media data, after its first third.
  const std::size_t cut = mdat + mdat_size / 3;
  const int whole = LastWholeFrame(path_, cut);
  ASSERT_GT(whole, 5);
  ASSERT_EQ(truncate(path_.c_str(), static_cast<off_t>(cut)), 0);
  ASSERT_EQ(t_.view.ShowFrame(50), S_FALSE);
  const PublishedFrame shown = t_.view.FrameOnScreen();
  const int end = shown.frame;
  EXPECT_EQ(end, whole) << "the last frame whose data is all there";
  EXPECT_EQ(StripOf(shown.image), end) << "the picture is the frame it claims to be";
  EXPECT_NE(t_.view.reason().find("frame 50"), std::string::npos) << t_.view.reason();
  EXPECT_TRUE(t_.failures.empty()) << "a picture is shown: no failure";

  // Known from now on: later requests past the end answer the same at once.
  for (int frame : {59, end + 1}) {
    EXPECT_EQ(t_.view.ShowFrame(frame), S_FALSE) << frame;
    EXPECT_EQ(t_.view.FrameOnScreen().frame, end);
  }
  // Frames before the cut are shown as ever.
  for (int frame : {end, end - 4, 1}) {
    EXPECT_EQ(t_.view.ShowFrame(frame), S_OK) << frame;
    ASSERT_TRUE(t_.view.WaitForFrame(frame, 5s)) << frame;
    EXPECT_EQ(StripOf(t_.view.FrameOnScreen().image), frame);
    EXPECT_EQ(t_.view.reason(), "");
  }
}

TEST_F(ChangedWhileOpen, MediaDataThatNoLongerDecodesIsAFailure) {
  testfiles::WriteFile(path_, ZeroMediaData(bytes_));
  EXPECT_EQ(t_.view.ShowFrame(40), E_FAIL);
  ASSERT_EQ(t_.failures.size(), 1u);
  EXPECT_EQ(t_.failures[0].hr, E_FAIL);
  EXPECT_NE(t_.failures[0].why.find("no picture decodes at frame 40"), std::string::npos) << t_.failures[0].why;
  EXPECT_EQ(t_.view.FrameOnScreen().frame, -1) << "no other frame passes for frame 40";
}

}  // namespace
}  // namespace player
