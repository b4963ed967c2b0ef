// Files written by the ffmpeg CLI, decoded through VideoDecoder alone: the
// first picture the open decodes is the file's frame 0 and is not decoded
// again, and the sound comes out at the output's rate whatever the file's.
#include "player/VideoDecoder.h"

#include <gtest/gtest.h>

#include "TestFiles.h"

namespace player {
namespace {

constexpr int kFrames = 60;  // two seconds at 30 fps
constexpr int kOutputRate = 48000;

struct SoundFile {
  const char* name;
  const char* options;  // ffmpeg's output options after the picture and sound inputs
  friend void PrintTo(const SoundFile& f, std::ostream* os) { *os << f.name; }
};

class DecoderSound : public ::testing::TestWithParam<SoundFile> {};

TEST_P(DecoderSound, FirstPictureOnceAndTheSoundAtTheOutputRate) {
  testfiles::TempDir dir;
  const auto path = dir / "clip.MOV";
  int status = 0;
  const std::string log = testfiles::Run(
      "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=320x240:rate=30 -f lavfi -i sine=frequency=440 -t 2 "
      "-pix_fmt yuv420p -c:v libx264 -g 30 " + std::string(GetParam().options) + " -f mov '" + path.string() + "' 2>&1",
      &status);
  ASSERT_EQ(status, 0) << log;

  VideoDecoder::Settings settings;
  settings.sound_rate = kOutputRate;
  settings.sound_channels = 2;
  HRESULT hr = E_FAIL;
  std::string why;
  auto decoder = VideoDecoder::Open(path, settings, nullptr, &hr, &why);
  ASSERT_TRUE(decoder) << why;
  ASSERT_TRUE(decoder->has_sound());
  ASSERT_TRUE(decoder->DecodesAPicture(600)) << decoder->error();
  EXPECT_EQ(decoder->size(), QSize(320, 240));
  EXPECT_EQ(decoder->TicksOf(decoder->picture(), 30), 0) << "the first picture is frame 0";

  int pictures = 1;
  std::int64_t last = 0;
  std::size_t sound_frames = 0;
  for (;;) {
    const auto step = decoder->Decode([&](const std::int16_t*, std::size_t frames) { sound_frames += frames; });
    if (step == VideoDecoder::Step::kEnded) break;
    if (step != VideoDecoder::Step::kPicture) continue;
    const std::int64_t frame = decoder->TicksOf(decoder->picture(), 30);
    EXPECT_EQ(frame, last + 1) << "pictures go on after the first, none twice, none left out";
    last = frame;
    ++pictures;
  }
  EXPECT_EQ(pictures, kFrames);
  // The sound read while the first picture was decoded is not played; the
  // rest comes at 48 kHz: about two seconds of it, not the file's rate's.
  EXPECT_GT(sound_frames, 2 * kOutputRate * 85 / 100);
  EXPECT_LT(sound_frames, 2 * kOutputRate * 103 / 100);
}

INSTANTIATE_TEST_SUITE_P(
    Player, DecoderSound,
    ::testing::Values(SoundFile{"aac_48000_stereo", "-map 0:v -map 1:a -c:a aac -ar 48000 -ac 2"},
                      SoundFile{"aac_22050_mono_sound_track_first", "-map 1:a -map 0:v -c:a aac -ar 22050 -ac 1"},
                      SoundFile{"pcm_44100_stereo", "-map 0:v -map 1:a -c:a pcm_s16le -ar 44100 -ac 2"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace player
