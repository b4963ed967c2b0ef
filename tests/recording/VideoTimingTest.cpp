#include "recording/VideoTiming.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <ostream>

#include "TestFiles.h"
#include "recording/BoxTree.h"
#include "recording/MappedFileReader.h"

namespace recording {
namespace {

using testfiles::BE32;
using testfiles::Box;
using testfiles::Bytes;
using testfiles::Concat;
using testfiles::MiniMovie;
using testfiles::MiniTrack;
using testfiles::MiniTrak;
using testfiles::Zeros;

class VideoTimingFiles : public ::testing::Test {
 protected:
  std::filesystem::path Write(const Bytes& bytes, const char* name = "f.MOV") {
    const auto path = dir_ / name;
    testfiles::WriteFile(path, bytes);
    return path;
  }
  VideoTiming Timing(const Bytes& bytes) {
    auto timing = VideoTiming::Read(Write(bytes));
    EXPECT_TRUE(timing) << timing.error();
    return timing ? *timing : VideoTiming();
  }
  testfiles::TempDir dir_;
};

MiniTrack Video(std::uint32_t timescale, std::uint32_t frames, std::uint32_t delta) {
  MiniTrack t;
  t.timescale = timescale;
  t.stts = {{frames, delta}};
  return t;
}

// A sound track of 16 kHz AAC-like packets whose last one is shorter.
Bytes SoundTrak() {
  MiniTrack sound;
  sound.handler = "soun";
  sound.timescale = 16000;
  sound.stts = {{15, 1024}, {1, 640}};
  return MiniTrak(sound);
}

// A movie of one second at a movie timescale of 1000 with that video track.
Bytes Movie(const MiniTrack& video) { return MiniMovie(1000, 1000, {MiniTrak(video)}); }

MiniTrack Edited(MiniTrack t, void (*edit)(MiniTrack&)) {
  edit(t);
  return t;
}

// An AAC configuration of two bytes whose length field says `length`.
Bytes Esds(std::uint8_t length) {
  return Box("esds", Concat({Zeros(4), {3, 25, 0, 1, 0, 4, 17, 0x40, 0x15}, Zeros(11), {5, length, 0x14, 0x08}}));
}
void WholeEsds(MiniTrack& t) { t.entry_boxes = Esds(2); }
void EsdsPastItsBox(MiniTrack& t) { t.entry_boxes = Esds(0x40); }
void EmptyEsds(MiniTrack& t) { t.entry_boxes = Esds(0); }

// A sound track whose chunk tables a demuxer refuses the whole file for.
Bytes SoundTrakWith(void (*edit)(MiniTrack&)) {
  MiniTrack sound;
  sound.handler = "soun";
  sound.timescale = 16000;
  sound.stts = {{16, 1024}};
  edit(sound);
  return MiniTrak(sound);
}
struct DescribedCase {
  const char* name;
  Bytes file;
  std::int32_t frames;
  std::uint32_t timescale, delta;
  double duration_seconds;
  friend void PrintTo(const DescribedCase& c, std::ostream* os) { *os << c.name; }
};

class Described : public VideoTimingFiles, public ::testing::WithParamInterface<DescribedCase> {};

// The reader, the tree's properties and the timing the player gets agree on
// every shape other writers use.
TEST_P(Described, FromTheVideoTrack) {
  const auto& c = GetParam();
  const auto path = Write(c.file);
  auto timing = VideoTiming::Read(path);
  ASSERT_TRUE(timing) << timing.error();
  EXPECT_EQ(timing->frame_count(), c.frames);
  EXPECT_EQ(timing->timescale(), c.timescale);
  EXPECT_EQ(timing->delta(), c.delta);
  EXPECT_DOUBLE_EQ(timing->frame_rate(), double(c.timescale) / c.delta);
  EXPECT_DOUBLE_EQ(timing->duration_seconds(), c.duration_seconds);
  auto tree = BoxTree::Open(path, true);
  ASSERT_TRUE(tree) << tree.error();
  EXPECT_EQ((*tree)->GetFrameCount(), c.frames);
  EXPECT_FLOAT_EQ((*tree)->GetFrameRate(), float(double(c.timescale) / c.delta));
  EXPECT_EQ((*tree)->GetFrameSize().width, 64);
  auto old_style = ReadRecordingTiming(path);
  ASSERT_TRUE(old_style) << old_style.error();
  EXPECT_FLOAT_EQ(old_style->frame_duration_ms, float(1000.0 * c.delta / c.timescale));
  EXPECT_FLOAT_EQ(old_style->duration_seconds, float(c.duration_seconds));
}

void UnknownBoxInside(MiniTrack& t) { t.inside_trak = Box("XYZW", Zeros(40)); }
// One edit at the normal rate: the movie's first second from media time 1024
// (a decoding delay, as writers of B-frames put it).
void DelayEdit(MiniTrack& t) {
  t.inside_trak = Box("edts", Box("elst", Concat({Zeros(4), BE32(1), BE32(1000), BE32(1024), BE32(0x10000)})));
}
void MdhdVersion1(MiniTrack& t) { t.mdhd_version = 1; }
void SameDeltaTwice(MiniTrack& t) { t.stts = {{10, 512}, {20, 512}}; }

INSTANTIATE_TEST_SUITE_P(
    VideoTiming, Described,
    ::testing::Values(
        DescribedCase{"movie_timescale_1000_media_15360", MiniMovie(1000, 2000, {MiniTrak(Video(15360, 60, 512))}),
                      60, 15360, 512, 2.0},
        DescribedCase{"fifteen_fps_media_timescale", MiniMovie(1000, 2000, {MiniTrak(Video(15360, 30, 1024))}), 30,
                      15360, 1024, 2.0},
        DescribedCase{"ntsc_rate", MiniMovie(600, 1201, {MiniTrak(Video(30000, 60, 1001))}), 60, 30000, 1001,
                      1201.0 / 600},
        DescribedCase{"sound_track_first", MiniMovie(1000, 1000, {SoundTrak(), MiniTrak(Video(15360, 30, 512))}), 30,
                      15360, 512, 1.0},
        DescribedCase{"sound_track_with_an_aac_configuration",
                      MiniMovie(1000, 1000, {SoundTrakWith(WholeEsds), MiniTrak(Video(15360, 30, 512))}), 30, 15360,
                      512, 1.0},
        DescribedCase{"unknown_box_inside_the_video_track",
                      MiniMovie(1000, 1000, {MiniTrak(Edited(Video(15360, 30, 512), UnknownBoxInside)), SoundTrak()}),
                      30, 15360, 512, 1.0},
        DescribedCase{"unknown_box_between_tracks",
                      MiniMovie(1000, 1000, {SoundTrak(), Box("XYZW", Zeros(8)), MiniTrak(Video(15360, 30, 512))}),
                      30, 15360, 512, 1.0},
        DescribedCase{"version_1_mvhd", MiniMovie(1000, 5000000000ull, {MiniTrak(Video(30, 30, 1))}, Bytes(64, 1), 1),
                      30, 30, 1, 5000000.0},
        DescribedCase{"edit_with_a_decoding_delay", Movie(Edited(Video(15360, 30, 512), DelayEdit)), 30, 15360, 512,
                      1.0},
        DescribedCase{"version_1_mdhd", Movie(Edited(Video(90000, 30, 3000), MdhdVersion1)), 30, 90000, 3000, 1.0},
        DescribedCase{"same_delta_in_two_stts_entries", Movie(Edited(Video(15360, 0, 512), SameDeltaTwice)), 30, 15360,
                      512, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  Bytes file;
  const char* reason;  // part of the error text
  friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
};

class Refused : public VideoTimingFiles, public ::testing::WithParamInterface<RefusedCase> {};

// What cannot be described is refused with its reason, by the timing, the
// tree's properties and the player's probe alike; never described with
// nonsense.
TEST_P(Refused, WithAReason) {
  const auto path = Write(GetParam().file);
  auto timing = VideoTiming::Read(path);
  ASSERT_FALSE(timing) << GetParam().name << ": " << timing->frame_count() << " frames";
  EXPECT_NE(timing.error().find(GetParam().reason), std::string::npos) << timing.error();
  EXPECT_NE(timing.error().find(path.string()), std::string::npos) << "the reason names the file";
  auto tree = BoxTree::Open(path, false);
  ASSERT_TRUE(tree) << tree.error();
  EXPECT_EQ((*tree)->GetFrameCount(), -1);
  EXPECT_EQ((*tree)->GetFrameRate(), -1.0f);
  EXPECT_FALSE(ReadRecordingTiming(path));
}

Bytes Fragmented() {
  // A movie followed by a fragment, as fragmenting writers leave it.
  return Concat({Movie(Video(15360, 30, 512)), Box("moof", Box("mfhd", Zeros(8)))});
}

void TwoRates(MiniTrack& t) {
  t.stts = {{10, 512}, {10, 1024}};
  t.stsz_count = 20;
}
void ThirtySizes(MiniTrack& t) { t.stsz_count = 30; }
void SizeTable(MiniTrack& t) { t.sample_size = 0; }
void Version2(MiniTrack& t) { t.mdhd_version = 2; }
void ChunkOfTen(MiniTrack& t) { t.samples_in_chunk = 10; }
void HalfShown(MiniTrack& t) {
  t.inside_trak = Box("edts", Box("elst", Concat({Zeros(4), BE32(1), BE32(500), BE32(0), BE32(0x10000)})));
}
void ChunkPastTheEnd(MiniTrack& t) { t.chunk_offset = 0x7FFFFFF0; }
void NoDescriptions(MiniTrack& t) { t.stsd_entries = 0; }
// What a single changed byte in the sample description gives.
void DamagedAvcc(MiniTrack& t) { t.damaged_avcc = true; }
void CorruptWidth(MiniTrack& t) {
  t.width = 64 + 256;
  t.header_width = 64;
}

// The SPS, which a decoder reads, codes another width than the entry's.
void SpsWidth80(MiniTrack& t) { t.sps_width = 80; }

void NoChunkOffsets(MiniTrack& t) { t.chunk_offsets = false; }
// The second run does not follow the first: moved to chunk 2 of 1.
void Version30(MiniTrack& t) { t.mdhd_version = 30; }
void RunsOutOfOrder(MiniTrack& t) { t.stsc_runs = {1, 8, 1, 1, 8, 1}; }
// Its stsc box's size runs past the sample table: behind an unknown box the
// walk stops there without failing.
void UnknownBox(MiniTrack& t) { t.inside_trak = Box("ABCD", Zeros(4)); }
Bytes StscRunsPastItsParent() {
  Bytes trak = SoundTrakWith(UnknownBox);
  const std::string bytes(trak.begin(), trak.end());
  const std::size_t at = bytes.find("stsc");
  trak[at - 4] = 0x80;
  return trak;
}

INSTANTIATE_TEST_SUITE_P(
    VideoTiming, Refused,
    ::testing::Values(
        RefusedCase{"variable_frame_rate", Movie(Edited(Video(15360, 0, 0), TwoRates)), "variable frame rate"},
        RefusedCase{"fragmented", Fragmented(), "fragmented"},
        RefusedCase{"media_timescale_above_int_max", Movie(Video(0x80000000u, 30, 512)), "above 2147483647"},
        RefusedCase{"movie_timescale_above_int_max", MiniMovie(0x80000000u, 1000, {MiniTrak(Video(15360, 30, 512))}),
                    "above 2147483647"},
        RefusedCase{"delta_above_int_max", Movie(Video(15360, 3, 0x80000000u)), "above 2147483647"},
        RefusedCase{"count_beyond_the_sample_sizes", Movie(Edited(Video(15360, 0x7FFFFFFF, 512), ThirtySizes)),
                    "stsz 30"},
        RefusedCase{"count_beyond_the_file", Movie(Video(15360, 0x7FFFFFFF, 512)), "more bytes than the file holds"},
        RefusedCase{"size_table_cut_short", Movie(Edited(Video(15360, 0x7FFFFFF, 512), SizeTable)),
                    "stsz table is cut short"},
        RefusedCase{"no_video_track", MiniMovie(1000, 1000, {SoundTrak()}), "no video track"},
        RefusedCase{"zero_delta", Movie(Video(15360, 30, 0)), "sample delta is 0"},
        RefusedCase{"version_2_mdhd", Movie(Edited(Video(15360, 30, 512), Version2)), "version 2"},
        RefusedCase{"chunks_place_fewer_frames", Movie(Edited(Video(15360, 30, 512), ChunkOfTen)),
                    "place 10 video frames, stsz sizes 30"},
        RefusedCase{"frames_past_the_end_of_the_file", Movie(Edited(Video(15360, 30, 512), ChunkPastTheEnd)),
                    "past the end of the file"},
        RefusedCase{"edit_list_shows_half", Movie(Edited(Video(15360, 30, 512), HalfShown)), "edit list"},
        RefusedCase{"picture_size_not_the_track_header_s", Movie(Edited(Video(15360, 30, 512), CorruptWidth)),
                    "picture size 320x48 is not its track header's 64x48"},
        RefusedCase{"damaged_parameter_sets", Movie(Edited(Video(15360, 30, 512), DamagedAvcc)),
                    "avcC parameter sets are damaged"},
        RefusedCase{"no_sample_description", Movie(Edited(Video(15360, 30, 512), NoDescriptions)), "stsd claims 0"},
        RefusedCase{"sps_picture_size_not_the_entry_s", Movie(Edited(Video(15360, 30, 512), SpsWidth80)),
                    "SPS picture size 80x48 is not its sample description's 64x48"},
        RefusedCase{"sound_track_without_chunk_offsets",
                    MiniMovie(1000, 1000, {SoundTrakWith(NoChunkOffsets), MiniTrak(Video(15360, 30, 512))}),
                    "track 1: its stsc names chunks that stco does not hold"},
        RefusedCase{"sound_track_chunk_runs_out_of_order",
                    MiniMovie(1000, 1000, {MiniTrak(Video(15360, 30, 512)), SoundTrakWith(RunsOutOfOrder)}),
                    "track 2: its stsc names chunks that stco does not hold"},
        RefusedCase{"sound_table_box_runs_past_its_parent",
                    MiniMovie(1000, 1000, {StscRunsPastItsParent(), MiniTrak(Video(15360, 30, 512))}),
                    "track 1: its stbl box holds a box that runs past its end"},
        RefusedCase{"sound_configuration_past_its_esds",
                    MiniMovie(1000, 1000, {SoundTrakWith(EsdsPastItsBox), MiniTrak(Video(15360, 30, 512))}),
                    "track 1: its esds decoder configuration is empty or runs past its box"},
        RefusedCase{"sound_configuration_empty",
                    MiniMovie(1000, 1000, {SoundTrakWith(EmptyEsds), MiniTrak(Video(15360, 30, 512))}),
                    "track 1: its esds decoder configuration is empty or runs past its box"},
        RefusedCase{"sound_track_mdhd_version_30",
                    MiniMovie(1000, 1000, {SoundTrakWith(Version30), MiniTrak(Video(15360, 30, 512))}),
                    "track 1: its mdhd box has version 30"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VideoTimingFiles, AGeneratedRecordingWithAMovieTimescaleOf1000) {
  samplecard::CardOptions options;
  options.recordings = 1;
  options.seconds = 1.0;
  options.movie_timescale = 1000;
  options.sub_fps = 15;
  auto card = samplecard::WriteSampleCard(dir_.path(), options);
  ASSERT_TRUE(card) << card.error();
  const std::tuple<std::filesystem::path, double, int> files[] = {{card->front().main_path, 30.0, 30},
                                                                  {card->front().sub_path, 15.0, 15}};
  for (const auto& [path, fps, frames] : files) {
    auto tree = BoxTree::Open(path, false);
    ASSERT_TRUE(tree) << tree.error();
    EXPECT_FLOAT_EQ((*tree)->GetFrameRate(), float(fps)) << "not the movie timescale over the delta";
    EXPECT_EQ((*tree)->GetFrameCount(), frames);
    auto timing = ReadRecordingTiming(path);
    ASSERT_TRUE(timing) << timing.error();
    EXPECT_FLOAT_EQ(timing->frame_duration_ms, float(1000.0 / fps));
    EXPECT_FLOAT_EQ(timing->duration_seconds, 1.0f);
  }
}

TEST_F(VideoTimingFiles, FramesAndTimesRoundTripAtEveryFrame) {
  const VideoTiming t = Timing(MiniMovie(1000, 10010, {MiniTrak(Video(30000, 300, 1001))}));
  ASSERT_EQ(t.frame_count(), 300);
  EXPECT_EQ(t.TimeOfFrame(300, 10000000), 100100000) << "frame 300 at 29.97 fps starts at 10.01 s";
  for (std::int32_t f = 0; f < t.frame_count(); ++f) {
    const std::int64_t time = t.TimeOfFrame(f, 10000000);
    ASSERT_EQ(t.FrameAtTime(time, 10000000), f);
    ASSERT_EQ(t.FrameAtTime(time + 1, 10000000), f) << "just after its start is still the frame";
    ASSERT_EQ(t.FrameNearestTicks(t.TicksOfFrame(f)), f);
  }
  EXPECT_EQ(t.FrameAtTime(-5, 10000000), 0);
  EXPECT_EQ(t.FrameAtTime(INT64_MAX, 10000000), 299) << "clamped to the last frame";
  EXPECT_EQ(t.FrameAtTime(INT64_MIN, 1), 0);
}

TEST_F(VideoTimingFiles, ConversionsNeverOverflow) {
  // 2^31 - 1 for both: frame x delta x 10^7 needs about 92 bits.
  const VideoTiming t = Timing(MiniMovie(1000, 1000, {MiniTrak(Video(INT_MAX, 3, INT_MAX))}));
  ASSERT_EQ(t.timescale(), static_cast<std::uint32_t>(INT_MAX));
  EXPECT_EQ(t.TimeOfFrame(INT_MAX, 10000000), std::int64_t{INT_MAX} * 10000000);
  EXPECT_EQ(t.TicksOfFrame(INT_MAX), std::int64_t{INT_MAX} * INT_MAX);
  EXPECT_EQ(t.FrameAtTime(std::int64_t{2} * 10000000, 10000000), 2);
  const VideoTiming slow = Timing(MiniMovie(1000, 1000, {MiniTrak(Video(1, 3, INT_MAX))}));
  EXPECT_EQ(slow.TimeOfFrame(INT_MAX, 10000000), INT64_MAX) << "saturates instead of wrapping";
}

struct RearCase {
  const char* name;
  std::uint32_t front_timescale, front_delta, front_frames;
  std::uint32_t rear_timescale, rear_delta, rear_frames;
  std::int32_t front_frame, rear_frame;
  friend void PrintTo(const RearCase& c, std::ostream* os) { *os << c.name; }
};

class RearFrames : public VideoTimingFiles, public ::testing::WithParamInterface<RearCase> {};

TEST_P(RearFrames, ShowTheSameMoment) {
  const auto& c = GetParam();
  const VideoTiming front = Timing(Movie(Video(c.front_timescale, c.front_frames, c.front_delta)));
  const VideoTiming rear = Timing(Movie(Video(c.rear_timescale, c.rear_frames, c.rear_delta)));
  EXPECT_EQ(RearFrameFor(c.front_frame, front, rear), c.rear_frame);
}

INSTANTIATE_TEST_SUITE_P(
    VideoTiming, RearFrames,
    ::testing::Values(RearCase{"thirty_to_fifteen", 30000, 1000, 60, 15000, 1000, 30, 21, 10},
                      RearCase{"thirty_to_fifteen_even", 30000, 1000, 60, 15000, 1000, 30, 40, 20},
                      RearCase{"fifteen_to_thirty", 15000, 1000, 30, 30000, 1000, 60, 10, 20},
                      RearCase{"same_rate_other_timescales", 15360, 512, 60, 30000, 1000, 60, 21, 21},
                      RearCase{"same_rate_ntsc_never_the_frame_before", 30000, 1001, 400, 60000, 2002, 400, 300, 300},
                      RearCase{"ntsc_to_fifteen", 30000, 1001, 400, 15000, 1000, 200, 300, 150},
                      RearCase{"past_the_rear_end", 30000, 1000, 60, 15000, 1000, 25, 59, 24}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace recording
