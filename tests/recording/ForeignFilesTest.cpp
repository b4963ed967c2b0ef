// Recordings written by the ffmpeg CLI in the shapes other cameras and
// editors use: the info tool describes each exactly as ffprobe does, or
// refuses it with a reason, and the join judges each on its real layout.
#include <gtest/gtest.h>

#include <charconv>
#include <map>
#include <ostream>
#include <regex>

#include "TestFiles.h"
#include "recording/BoxTree.h"
#include "recording/RecordingJoin.h"

namespace recording {
namespace {

struct ForeignCase {
  const char* name;
  const char* ffmpeg;   // inputs and options; the output file follows
  const char* refusal;  // nullptr: the file is described; otherwise part of the reason
  const char* join;     // "": the join accepts the file twice; otherwise part of its reason
  friend void PrintTo(const ForeignCase& c, std::ostream* os) { *os << c.name; }
};

#define TESTSRC(rate) "-f lavfi -i testsrc2=size=160x96:rate=" rate ":duration=1 "
#define H264 "-c:v libx264 -pix_fmt yuv420p "

const ForeignCase kCases[] = {
    {"b_frames_movie_1000_media_15360", TESTSRC("30") H264 "-bf 2 -g 10", nullptr, "ctts"},
    {"open_gop", TESTSRC("30") H264 "-x264-params open_gop=1:bframes=2:keyint=10", nullptr, "ctts"},
    {"hevc", TESTSRC("30") "-c:v libx265 -x265-params log-level=none -pix_fmt yuv420p -tag:v hvc1", nullptr, "ctts"},
    {"ntsc_29_97", TESTSRC("30000/1001") H264 "-bf 0", nullptr, ""},
    {"wide_box_before_mdat", TESTSRC("15") H264 "-bf 0 -g 5", nullptr, ""},
    {"sound_track_first",
     "-f lavfi -i sine=duration=1:sample_rate=16000 " TESTSRC("30") "-map 0:a -map 1:v " H264 "-bf 0 -c:a aac", nullptr,
     "more than one stts entry"},
    // Three frames five million seconds apart: the movie's duration needs
    // 64 bits in milliseconds, so mvhd and tkhd are written as version 1.
    {"version_1_mvhd", "-f lavfi -i testsrc2=size=64x64:rate=1/5000000 -frames:v 3 " H264 "-bf 0 -video_track_timescale 1",
     nullptr, "version 1 mvhd"},
    {"version_1_mdhd", "-f lavfi -i testsrc2=size=64x64:rate=1/1000000 -frames:v 3 " H264 "-bf 0 -video_track_timescale 1000",
     nullptr, "version 1"},
    {"fragmented", TESTSRC("30") H264 "-bf 0 -g 10 -movflags frag_keyframe+empty_moov", "fragmented", "exactly one mdat"},
    {"variable_frame_rate", TESTSRC("30") "-vf \"setpts='if(lt(N,10),N,2*N-10)/30/TB'\" -fps_mode passthrough " H264 "-bf 0",
     "variable frame rate", "more than one stts entry"},
};

#undef TESTSRC
#undef H264

// The corpus, made once for this program.
const std::map<std::string, std::filesystem::path>& Corpus() {
  static testfiles::TempDir dir;  // removed when the test program ends
  static const std::map<std::string, std::filesystem::path> files = [] {
    std::map<std::string, std::filesystem::path> out;
    for (const auto& c : kCases) {
      const auto path = dir.path() / (std::string(c.name) + ".mov");
      int status = 0;
      testfiles::Run(std::string("ffmpeg -nostdin -v error -y ") + c.ffmpeg + " '" + path.string() + "' 2>/dev/null", &status);
      if (status == 0) out[c.name] = path;
    }
    return out;
  }();
  return files;
}

// Numbers and the rate fraction from the info tool's lines.
struct Described {
  int width = 0, height = 0, frames = 0;
  double fps = 0, duration = 0, frame_ms = 0;
  long long timescale = 0, delta = 0;
};

bool ParseInfo(const std::string& out, Described* d) {
  static const std::regex video(R"(frame size (\d+)x(\d+), frame count (\d+), frame rate ([0-9.]+) fps \((\d+)/(\d+)\))");
  static const std::regex timing(R"(duration ([0-9.]+) s, frame duration ([0-9.]+) ms)");
  std::smatch m, t;
  if (!std::regex_search(out, m, video) || !std::regex_search(out, t, timing)) return false;
  d->width = std::stoi(m[1]);
  d->height = std::stoi(m[2]);
  d->frames = std::stoi(m[3]);
  d->fps = testfiles::Number(m[4].str());
  d->timescale = std::stoll(m[5]);
  d->delta = std::stoll(m[6]);
  d->duration = testfiles::Number(t[1].str());
  d->frame_ms = testfiles::Number(t[2].str());
  return true;
}

class ForeignFiles : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignFiles, InfoAgreesWithFfprobeOrRefusesWithAReason) {
  const auto& c = GetParam();
  ASSERT_TRUE(Corpus().count(c.name)) << "ffmpeg could not write " << c.name;
  const auto& path = Corpus().at(c.name);
  int status = 0;
  const std::string err_path = path.string() + ".err";
  const std::string out = testfiles::Run(std::string(BRENNOVALE_INFO) + " '" + path.string() + "' 2>'" + err_path + "'", &status);
  const auto err_bytes = testfiles::ReadFile(err_path);
  const std::string err(err_bytes.begin(), err_bytes.end());
  if (c.refusal != nullptr) {
    EXPECT_NE(status, 0) << out;
    EXPECT_NE(err.find(c.refusal), std::string::npos) << err;
    EXPECT_NE(err.find(path.filename().string()), std::string::npos) << "the reason names the file: " << err;
    return;
  }
  ASSERT_EQ(status, 0) << err;
  Described ours;
  ASSERT_TRUE(ParseInfo(out, &ours)) << out;
  const auto probe = testfiles::ProbeVideo(path);
  ASSERT_FALSE(probe.empty()) << "ffprobe failed";
  using testfiles::Number;
  EXPECT_EQ(ours.width, Number(probe.at("stream.width")));
  EXPECT_EQ(ours.height, Number(probe.at("stream.height")));
  EXPECT_EQ(ours.frames, Number(probe.at("stream.nb_read_packets")));
  EXPECT_EQ(ours.frames, Number(probe.at("stream.nb_frames")));
  EXPECT_NEAR(ours.duration, Number(probe.at("format.duration")), 5e-4 + 1e-9 * ours.duration);
  // The rate exactly: our timescale/delta is ffprobe's fraction.
  for (const char* key : {"stream.r_frame_rate", "stream.avg_frame_rate"}) {
    const std::string& rate = probe.at(key);
    const auto slash = rate.find('/');
    ASSERT_NE(slash, std::string::npos) << rate;
    const long long num = std::stoll(rate.substr(0, slash)), den = std::stoll(rate.substr(slash + 1));
    EXPECT_EQ(static_cast<__int128>(ours.timescale) * den, static_cast<__int128>(ours.delta) * num) << key << " " << rate;
    EXPECT_NEAR(ours.frame_ms, 1000.0 * den / num, 5e-4 + 1e-9 * ours.frame_ms) << key;
  }
  EXPECT_NEAR(ours.fps, Number(probe.at("stream.r_frame_rate")), 5e-4);
}

TEST_P(ForeignFiles, TheJoinJudgesTheRealLayout) {
  const auto& c = GetParam();
  ASSERT_TRUE(Corpus().count(c.name)) << "ffmpeg could not write " << c.name;
  auto a = BoxTree::Open(Corpus().at(c.name), true);
  auto b = BoxTree::Open(Corpus().at(c.name), true);
  ASSERT_TRUE(a && b);
  const std::string why = CheckJoinable(**a, **b);
  if (*c.join == '\0') {
    EXPECT_EQ(why, "");
  } else {
    EXPECT_NE(why.find(c.join), std::string::npos) << why;
  }
}

// Sample entry and track header widened alike to 176 while the coded
// pictures stay 160 wide: a decoder shows what the SPS codes, so the file is
// refused rather than described at the entry's size.
class EntryWiderThanTheSps : public ::testing::TestWithParam<const char*> {};

TEST_P(EntryWiderThanTheSps, IsRefused) {
  ASSERT_TRUE(Corpus().count(GetParam())) << "ffmpeg could not write " << GetParam();
  const auto& source = Corpus().at(GetParam());
  auto bytes = testfiles::ReadFile(source);
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t entry = std::min(text.find("avc1"), text.find("hvc1"));
  const std::size_t tkhd = text.find("tkhd");
  ASSERT_NE(entry, std::string::npos);
  ASSERT_NE(tkhd, std::string::npos);
  ASSERT_EQ(bytes[tkhd + 4], 0) << "a version-0 track header";
  // The entry's width follows its header fields; the header's is 16.16.
  for (std::size_t at : {entry + 28, tkhd + 80}) {
    ASSERT_EQ(bytes[at] << 8 | bytes[at + 1], 160);
    bytes[at + 1] = 176;
  }
  const auto path = source.parent_path() / (std::string("wider_") + GetParam() + ".mov");
  testfiles::WriteFile(path, bytes);
  int status = 0;
  const std::string out = testfiles::Run(std::string(BRENNOVALE_INFO) + " '" + path.string() + "' 2>&1", &status);
  EXPECT_NE(status, 0) << out;
  EXPECT_NE(out.find("SPS picture size 160x96 is not its sample description's 176x96"), std::string::npos) << out;
  EXPECT_EQ(testfiles::ProbeVideo(path).at("stream.width"), "160") << "what a decoder shows";
}

INSTANTIATE_TEST_SUITE_P(Ffmpeg, EntryWiderThanTheSps, ::testing::Values("open_gop", "hevc"));

INSTANTIATE_TEST_SUITE_P(Ffmpeg, ForeignFiles, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace recording
