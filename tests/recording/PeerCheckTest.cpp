// Our files and readings against real peers: ffprobe and ffmpeg read every
// generated recording the way our reader does.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestFiles.h"
#include "recording/BoxTree.h"
#include "recording/MappedFileReader.h"
#include "tools/samplecard/FrameStamp.h"

namespace recording {
namespace {

void ExpectPeersAgree(const std::filesystem::path& path) {
  SCOPED_TRACE(path.string());
  auto tree = BoxTree::Open(path, false);
  ASSERT_TRUE(tree) << tree.error();
  auto timing = ReadRecordingTiming(path);
  ASSERT_TRUE(timing) << timing.error();
  const auto probe = testfiles::ProbeVideo(path);
  ASSERT_FALSE(probe.empty()) << "ffprobe failed";
  using testfiles::Number;
  EXPECT_NEAR(Number(probe.at("format.duration")), timing->duration_seconds, 1e-3);
  EXPECT_EQ(Number(probe.at("stream.nb_read_packets")), (*tree)->GetFrameCount());
  EXPECT_EQ(Number(probe.at("stream.width")), (*tree)->GetFrameSize().width);
  EXPECT_EQ(Number(probe.at("stream.height")), (*tree)->GetFrameSize().height);
  EXPECT_NEAR(Number(probe.at("stream.r_frame_rate")), (*tree)->GetFrameRate(), 1e-3);
  EXPECT_NEAR(1000.0 / timing->frame_duration_ms, (*tree)->GetFrameRate(), 1e-2);
  int status = 0;
  const std::string errors = testfiles::Run("ffmpeg -nostdin -v error -i '" + path.string() + "' -f null - 2>&1", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(errors, "") << "ffmpeg reports errors decoding the file";
}

TEST(PeerCheck, EveryGeneratedRecordingAgreesWithFfprobe) {
  for (const auto& rec : testfiles::SharedCard()) {
    ExpectPeersAgree(rec.main_path);
    ExpectPeersAgree(rec.sub_path);
  }
}

TEST(PeerCheck, OtherRatesAndFifteenHertzData) {
  testfiles::TempDir dir;
  samplecard::CardOptions options;
  options.recordings = 1;
  options.seconds = 1.5;
  options.fps = 29.97;
  options.sub_fps = 27.5;
  options.sensor_hz = 15;
  options.gop = 10;
  options.width = 352;
  options.height = 198;
  options.movie_timescale = 1000;  // as other writers do: the rate is the video track's own
  auto card = samplecard::WriteSampleCard(dir.path(), options);
  ASSERT_TRUE(card) << card.error();
  ExpectPeersAgree(card->front().main_path);
  ExpectPeersAgree(card->front().sub_path);
  auto tree = BoxTree::Open(card->front().main_path, false);
  ASSERT_TRUE(tree);
  EXPECT_NEAR((*tree)->GetFrameRate(), 29.97f, 1e-3);
  EXPECT_EQ((*tree)->List(BoxList::kStss).front()->payload.size(), 8u + 4u * 5u) << "a key frame every 10 frames";
}

TEST(PeerCheck, EveryDecodedFrameShowsItsOwnNumber) {
  const auto& rec = testfiles::SharedCard().front();
  const std::string raw = testfiles::Run("ffmpeg -nostdin -v error -i '" + rec.main_path.string() +
                                         "' -f rawvideo -pix_fmt gray -");
  const std::size_t frame_bytes = 320 * 180;
  ASSERT_EQ(raw.size(), frame_bytes * static_cast<std::size_t>(rec.main_frames));
  for (int i = 0; i < rec.main_frames; ++i) {
    const auto* luma = reinterpret_cast<const std::uint8_t*>(raw.data()) + frame_bytes * static_cast<std::size_t>(i);
    EXPECT_EQ(samplecard::ReadFrameNumber(luma, 320, 180, 320), i);
  }
}

TEST(PeerCheck, SameSeedSameBytes) {
  testfiles::TempDir a, b;
  samplecard::CardOptions options;
  options.recordings = 2;
  options.seconds = 0.5;
  ASSERT_TRUE(samplecard::WriteSampleCard(a.path(), options));
  ASSERT_TRUE(samplecard::WriteSampleCard(b.path(), options));
  for (const auto& entry : std::filesystem::recursive_directory_iterator(a.path())) {
    if (!entry.is_regular_file()) continue;
    const auto other = b.path() / std::filesystem::relative(entry.path(), a.path());
    EXPECT_EQ(testfiles::ReadFile(entry.path()), testfiles::ReadFile(other)) << entry.path();
  }
}

TEST(InfoTool, PrintsTheTreeAndTheSensorData) {
  const auto& rec = testfiles::SharedCard()[2];
  int status = 0;
  const std::string out = testfiles::Run(std::string(BRENNOVALE_INFO) + " '" + rec.main_path.string() + "'", &status);
  EXPECT_EQ(status, 0);
  for (const char* text : {"moov", "stts", "frame size 320x180", "frame count 60", "duration 2.000 s",
                           "records: 20", "largest |G|", "axis X"}) {
    EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  }
}

TEST(InfoTool, OneLineErrorForWhatItCannotRead) {
  testfiles::TempDir dir;
  for (const std::filesystem::path& path : {dir.path(), dir / "missing.MOV"}) {
    int status = 0;
    const std::string err = testfiles::Run(std::string(BRENNOVALE_INFO) + " '" + path.string() + "' 2>&1", &status);
    EXPECT_NE(status, 0);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
}

}  // namespace
}  // namespace recording
