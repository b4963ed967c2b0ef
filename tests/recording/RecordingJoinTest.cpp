#include "recording/RecordingJoin.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "platform/ByteOrder.h"
#include "recording/CompanionPath.h"
#include "recording/MappedFileReader.h"
#include "recording/SensorDataFile.h"
#include "tools/samplecard/FrameStamp.h"
#include "tools/samplecard/SensorLog.h"

namespace recording {
namespace {

namespace fs = std::filesystem;
using samplecard::WrittenRecording;

std::uint32_t Be32(const BoxNode& n, std::size_t offset) { return platform::LoadBE32(n.payload.data() + offset); }

// A card of ten short recordings with sound, made once for this program.
const std::vector<WrittenRecording>& JoinCard() {
  static testfiles::TempDir* dir = new testfiles::TempDir;
  static const std::vector<WrittenRecording> card = [] {
    samplecard::CardOptions o;
    o.recordings = 10;
    o.seconds = 1.0;
    o.gop = 10;
    auto written = samplecard::WriteSampleCard(dir->path() / "card", o);
    if (!written) throw std::runtime_error(written.error());
    return written.take();
  }();
  return card;
}

class Joining : public ::testing::Test {
 protected:
  // An output path of the recorder's shape.
  fs::path Output(const std::string& base = "A__-240301-101500-000900") {
    for (const char* sub : {"Main", "Sub_", "Data"}) fs::create_directories(dir_ / "out" / sub);
    return dir_ / "out/Main" / (base + "M.MOV");
  }
  bool Join(const std::vector<fs::path>& fronts, const fs::path& out) {
    join_.Free();
    if (!join_.Start(fronts[0])) return false;
    for (std::size_t i = 1; i < fronts.size(); ++i) {
      if (!join_.Add(fronts[i])) return false;
    }
    return join_.Write(out);
  }
  std::vector<fs::path> Fronts(std::size_t n, std::size_t first = 0) {
    std::vector<fs::path> out;
    for (std::size_t i = first; i < first + n; ++i) out.push_back(JoinCard()[i].main_path);
    return out;
  }
  std::vector<std::uintptr_t> ProgressSteps() {
    std::vector<std::uintptr_t> steps;
    for (const auto& m : sink_.MessagesOf(kMessageJoinProgress)) {
      EXPECT_EQ(m.lparam, 100);
      steps.push_back(m.wparam);
    }
    return steps;
  }
  // Files in the output folders, temporary ones included.
  std::size_t OutputFiles() {
    std::size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir_ / "out")) n += e.is_regular_file() ? 1 : 0;
    return n;
  }

  testfiles::TempDir dir_;
  platform::RecordingSink sink_;
  RecordingJoin join_{&sink_};
};

TEST_F(Joining, TwoRecordingsMergeTablesDurationsAndData) {
  const auto& card = JoinCard();
  const fs::path out = Output();
  auto a = BoxTree::Open(card[0].main_path, true);
  auto b = BoxTree::Open(card[1].main_path, true);
  ASSERT_TRUE(a && b);
  const std::uint64_t first_mdat = (*a)->List(BoxList::kMdat)[0]->payload_size;
  ASSERT_TRUE(Join(Fronts(2), out)) << join_.error();
  EXPECT_EQ(ProgressSteps(), (std::vector<std::uintptr_t>{0, 33, 66, 99}));
  EXPECT_TRUE(join_.notes().empty());

  auto joined = BoxTree::Open(out, false);
  ASSERT_TRUE(joined) << joined.error();
  const BoxTree& j = **joined;
  const int n1 = card[0].main_frames, n2 = card[1].main_frames;
  EXPECT_EQ(j.GetFrameCount(), n1 + n2);
  EXPECT_EQ(Be32(*j.List(BoxList::kStsz)[0], 8), static_cast<std::uint32_t>(n1 + n2));
  // Sync samples of the second recording shift by the first one's frames.
  const BoxNode& stss = *j.List(BoxList::kStss)[0];
  const BoxNode& stss_b = *(*b)->List(BoxList::kStss)[0];
  const std::uint32_t keys_a = Be32(*(*a)->List(BoxList::kStss)[0], 4);
  EXPECT_EQ(Be32(stss, 4), keys_a + Be32(stss_b, 4));
  EXPECT_EQ(Be32(stss, 8 + 4 * keys_a), Be32(stss_b, 8) + static_cast<std::uint32_t>(n1));
  // Chunk offsets of the second recording grow by the first one's media data.
  const BoxNode& stco = *j.List(BoxList::kStco)[0];
  const BoxNode& stco_b = *(*b)->List(BoxList::kStco)[0];
  EXPECT_EQ(Be32(stco, 8 + 4 * static_cast<std::size_t>(n1)), Be32(stco_b, 8) + first_mdat);
  // The sound track's constant sample size keeps its 12-byte stsz.
  const BoxNode& sound_stsz = *j.List(BoxList::kStsz)[1];
  EXPECT_EQ(sound_stsz.payload.size(), 12u);
  EXPECT_EQ(Be32(sound_stsz, 8), Be32(*(*a)->List(BoxList::kStsz)[1], 8) + Be32(*(*b)->List(BoxList::kStsz)[1], 8));
  auto timing = ReadRecordingTiming(out);
  ASSERT_TRUE(timing);
  EXPECT_FLOAT_EQ(timing->duration_seconds, 2.0f);

  const JoinOutputPaths paths = JoinOutputs(out);
  EXPECT_EQ(paths.rear, dir_ / "out/Sub_/A__-240301-101500-000900S.MOV");
  auto rear = BoxTree::Open(paths.rear, false);
  ASSERT_TRUE(rear);
  EXPECT_EQ((*rear)->GetFrameCount(), card[0].sub_frames + card[1].sub_frames);
  SensorDataFile data;
  ASSERT_TRUE(data.Load(paths.data)) << data.last_error();
  EXPECT_EQ(static_cast<int>(data.gps().size()), card[0].records + card[1].records);
}

TEST_F(Joining, JoinOfOneRecordingRewritesItExactly) {
  const fs::path out = Output();
  ASSERT_TRUE(Join(Fronts(1), out)) << join_.error();
  EXPECT_EQ(testfiles::ReadFile(out), testfiles::ReadFile(JoinCard()[0].main_path));
}

// ffprobe and ffmpeg accept the joined files, and every frame is there once, in order.
void ExpectPeersAcceptTheJoin(const fs::path& out, const std::vector<WrittenRecording>& parts, bool rear) {
  SCOPED_TRACE(out.string());
  int frames = 0;
  for (const auto& p : parts) frames += rear ? p.sub_frames : p.main_frames;
  int status = 0;
  const std::string probe = testfiles::Run("ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                                           "stream=nb_read_packets:format=duration -of csv=p=0 '" + out.string() + "'",
                                           &status);
  ASSERT_EQ(status, 0);
  EXPECT_NE(probe.find(std::to_string(frames)), std::string::npos) << probe;
  EXPECT_NE(probe.find(std::to_string(parts.size()) + ".000000"), std::string::npos) << probe;
  EXPECT_EQ(testfiles::Run("ffmpeg -nostdin -v error -i '" + out.string() + "' -f null - 2>&1"), "");
  const std::string raw = testfiles::Run("ffmpeg -nostdin -v error -i '" + out.string() + "' -f rawvideo -pix_fmt gray -");
  const std::size_t frame_bytes = 320 * 180;
  ASSERT_EQ(raw.size(), frame_bytes * static_cast<std::size_t>(frames));
  int index = 0;
  for (const auto& p : parts) {
    for (int i = 0; i < (rear ? p.sub_frames : p.main_frames); ++i, ++index) {
      const auto* luma = reinterpret_cast<const std::uint8_t*>(raw.data()) + frame_bytes * static_cast<std::size_t>(index);
      ASSERT_EQ(samplecard::ReadFrameNumber(luma, 320, 180, 320), i) << "joined frame " << index;
    }
  }
}

TEST_F(Joining, PeersAcceptJoinsOfTwoThreeAndTenRecordings) {
  for (std::size_t n : {2u, 3u, 10u}) {
    sink_.Clear();
    const fs::path out = Output("A__-240301-101500-00090" + std::to_string(n % 10));
    ASSERT_TRUE(Join(Fronts(n), out)) << join_.error();
    const std::vector<WrittenRecording> parts(JoinCard().begin(), JoinCard().begin() + static_cast<std::ptrdiff_t>(n));
    ExpectPeersAcceptTheJoin(out, parts, false);
    ExpectPeersAcceptTheJoin(JoinOutputs(out).rear, parts, true);
    SensorDataFile data;
    ASSERT_TRUE(data.Load(JoinOutputs(out).data));
    EXPECT_EQ(data.gps().size(), n * 10);
  }
}

TEST_F(Joining, MissingRearOfTheSecondRecordingDropsTheRear) {
  // Copy two recordings so that one rear file can go.
  for (int i = 0; i < 2; ++i) {
    const auto& r = JoinCard()[static_cast<std::size_t>(i)];
    for (const auto& [from, sub] : {std::pair{r.main_path, "Main"}, {r.sub_path, "Sub_"}, {r.data_path, "Data"}}) {
      fs::create_directories(dir_ / "in" / sub);
      fs::copy_file(from, dir_ / "in" / sub / from.filename());
    }
  }
  fs::remove(dir_ / "in/Sub_" / JoinCard()[1].sub_path.filename());
  const fs::path out = Output();
  ASSERT_TRUE(Join({dir_ / "in/Main" / JoinCard()[0].main_path.filename(), dir_ / "in/Main" / JoinCard()[1].main_path.filename()},
                   out))
      << join_.error();
  EXPECT_FALSE(join_.rear_valid());
  ASSERT_EQ(join_.notes().size(), 1u);
  EXPECT_NE(join_.notes()[0].find("rear camera dropped"), std::string::npos);
  EXPECT_EQ(ProgressSteps(), (std::vector<std::uintptr_t>{0, 33, 99}));
  EXPECT_TRUE(fs::exists(out));
  EXPECT_FALSE(fs::exists(JoinOutputs(out).rear));
  EXPECT_TRUE(fs::exists(JoinOutputs(out).data));
}

TEST_F(Joining, OtherRateLetterDropsTheData) {
  fs::create_directories(dir_ / "in/Main");
  fs::create_directories(dir_ / "in/Data");
  for (int i = 0; i < 2; ++i) {
    const auto& r = JoinCard()[static_cast<std::size_t>(i)];
    fs::copy_file(r.main_path, dir_ / "in/Main" / r.main_path.filename());
    samplecard::SensorHeaderFields h;
    h.rate = i == 0 ? 'N' : 'T';
    testfiles::WriteFile(dir_ / "in/Data" / r.data_path.filename(), samplecard::FormatBlock(h, {samplecard::FormatRecord({})}));
  }
  ASSERT_TRUE(Join({dir_ / "in/Main" / JoinCard()[0].main_path.filename(), dir_ / "in/Main" / JoinCard()[1].main_path.filename()},
                   Output()))
      << join_.error();
  EXPECT_FALSE(join_.data_valid());
  EXPECT_NE(join_.notes().back().find("another rate"), std::string::npos);
  EXPECT_FALSE(fs::exists(JoinOutputs(Output()).data));
}

TEST_F(Joining, SeventyThousandRecordsGetTheLongCountAndReadBack) {
  fs::create_directories(dir_ / "in/Main");
  fs::create_directories(dir_ / "in/Data");
  std::vector<std::array<std::uint8_t, 124>> records(35000, samplecard::FormatRecord({}));
  std::vector<fs::path> fronts;
  for (int i = 0; i < 2; ++i) {
    const auto& r = JoinCard()[static_cast<std::size_t>(i)];
    fs::copy_file(r.main_path, dir_ / "in/Main" / r.main_path.filename());
    testfiles::WriteFile(dir_ / "in/Data" / r.data_path.filename(), samplecard::FormatBlock({}, records));
    fronts.push_back(dir_ / "in/Main" / r.main_path.filename());
  }
  const fs::path out = Output();
  // An older data file of the same name is replaced.
  testfiles::WriteFile(JoinOutputs(out).data, testfiles::Text("old"));
  ASSERT_TRUE(Join(fronts, out)) << join_.error();
  const auto bytes = testfiles::ReadFile(JoinOutputs(out).data);
  ASSERT_EQ(bytes.size(), 34 + 124 * 70000u + 6 + 4);
  EXPECT_EQ(platform::LoadBE16(bytes.data() + 32), 0xFFFF);
  EXPECT_EQ(platform::LoadBE32(bytes.data() + bytes.size() - 4), 70000u);
  SensorDataFile data;
  ASSERT_TRUE(data.Load(JoinOutputs(out).data)) << data.last_error();
  EXPECT_EQ(data.gps().size(), 70000u);
  auto again = ReadSensorDataForJoin(JoinOutputs(out).data);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->records.size(), 70000u) << "a 0xFFFF file is read up to its end marker";
}

TEST_F(Joining, TruncatedSecondFrontFailsAndLeavesNothing) {
  fs::create_directories(dir_ / "in/Main");
  const auto second = dir_ / "in/Main" / JoinCard()[1].main_path.filename();
  auto bytes = testfiles::ReadFile(JoinCard()[1].main_path);
  bytes.resize(bytes.size() / 2);
  testfiles::WriteFile(second, bytes);
  const fs::path out = Output();
  ASSERT_TRUE(join_.Start(JoinCard()[0].main_path));
  EXPECT_FALSE(join_.Add(second));
  EXPECT_FALSE(join_.error().empty());
  EXPECT_EQ(OutputFiles(), 0u);
}

TEST_F(Joining, SourceTruncatedAfterAddFailsTheWriteAndLeavesNothing) {
  fs::create_directories(dir_ / "in/Main");
  const auto second = dir_ / "in/Main" / JoinCard()[1].main_path.filename();
  fs::copy_file(JoinCard()[1].main_path, second);
  const fs::path out = Output();
  testfiles::WriteFile(out, testfiles::Text("an older join"));
  ASSERT_TRUE(join_.Start(JoinCard()[0].main_path));
  ASSERT_TRUE(join_.Add(second));
  ASSERT_EQ(truncate(second.c_str(), 1000), 0);  // the card is pulled, say
  EXPECT_FALSE(join_.Write(out));
  EXPECT_NE(join_.error().find("ended early"), std::string::npos) << join_.error();
  EXPECT_EQ(testfiles::ReadFile(out), testfiles::Text("an older join")) << "replaced only by a complete file";
  EXPECT_EQ(OutputFiles(), 1u) << "no temporary file is left";
}

TEST_F(Joining, UnwritableFolderAndFullDiskFailCleanly) {
  testfiles::FakeFileSystem fake;
  platform::ScopedFileSystem scoped(fake);
  fake.outputs_fail = true;
  EXPECT_FALSE(Join(Fronts(2), Output()));
  EXPECT_NE(join_.error().find("Permission denied"), std::string::npos);
  EXPECT_EQ(OutputFiles(), 0u);

  fake.outputs_fail = false;
  fake.output_budget = 200 * 1024;
  EXPECT_FALSE(Join(Fronts(3), Output()));
  EXPECT_NE(join_.error().find("No space left"), std::string::npos) << join_.error();
  EXPECT_EQ(OutputFiles(), 0u);
}

TEST_F(Joining, ASecondFrontOfAnotherFormatIsRefused) {
  testfiles::TempDir other;
  samplecard::CardOptions o;
  o.recordings = 1;
  o.seconds = 1;
  o.fps = 15;
  auto card = samplecard::WriteSampleCard(other.path(), o);
  ASSERT_TRUE(card);
  ASSERT_TRUE(join_.Start(JoinCard()[0].main_path));
  EXPECT_FALSE(join_.Add(card->front().main_path));
  EXPECT_NE(join_.error().find("another track timescale"), std::string::npos) << join_.error();
}

struct LayoutCase {
  const char* name;
  const char* from;
  const char* to;
  const char* reason;
  friend void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }
};

class BrokenLayouts : public Joining, public ::testing::WithParamInterface<LayoutCase> {};

// Renaming a box type in a copy of the second recording gives each quirk.
TEST_P(BrokenLayouts, AreRefusedWithAReason) {
  auto bytes = testfiles::ReadFile(JoinCard()[1].main_path);
  const std::string from = GetParam().from;
  const std::string moov = "moov";  // only boxes, not media bytes that happen to spell the same
  const auto at = std::search(std::search(bytes.begin(), bytes.end(), moov.begin(), moov.end()), bytes.end(),
                              from.begin(), from.end());
  ASSERT_NE(at, bytes.end());
  std::copy_n(GetParam().to, 4, at);
  const auto broken = dir_ / "broken.MOV";
  testfiles::WriteFile(broken, bytes);
  auto a = BoxTree::Open(JoinCard()[0].main_path, true);
  auto b = BoxTree::Open(broken, true);
  ASSERT_TRUE(a && b);
  const std::uint32_t frames_before = (*a)->GetFrameCount();
  std::string why;
  EXPECT_FALSE(MergeInto(**a, **b, &why));
  EXPECT_NE(why.find(GetParam().reason), std::string::npos) << why;
  EXPECT_EQ(static_cast<std::uint32_t>((*a)->GetFrameCount()), frames_before) << "nothing changed";
}

INSTANTIATE_TEST_SUITE_P(
    Join, BrokenLayouts,
    ::testing::Values(LayoutCase{"co64", "stco", "co64", "co64"}, LayoutCase{"ctts", "stss", "ctts", "ctts"},
                      LayoutCase{"other_sample_format", "avc1", "avc2", "picture or sound format"},
                      LayoutCase{"other_track_order", "vide", "text", "tracks are in another order"},
                      LayoutCase{"second_mdat", "edts", "mdat", "exactly one mdat"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Joining, MoovBeforeMediaDataIsRefused) {
  using testfiles::Box;
  const auto ftyp = Box("ftyp", testfiles::Zeros(12));
  const auto moov = Box("moov", Box("mvhd", testfiles::Zeros(100)));
  const auto path = dir_ / "moov-first.MOV";
  testfiles::WriteFile(path, testfiles::Concat({ftyp, moov, Box("mdat", testfiles::Zeros(300))}));
  auto a = BoxTree::Open(path, true);
  ASSERT_TRUE(a);
  EXPECT_NE(CheckJoinable(**a, **a).find("moov box comes before"), std::string::npos);
  EXPECT_FALSE(join_.Start(path));
}

TEST_F(Joining, MoovWithoutMvhdIsRefused) {
  // Found by fuzzing: the checks read the movie timescale of both trees.
  using testfiles::Box;
  const auto path = dir_ / "no-mvhd.MOV";
  testfiles::WriteFile(path, testfiles::Concat({Box("ftyp", testfiles::Zeros(12)), Box("mdat", testfiles::Zeros(300)),
                                                Box("moov", Box("free", testfiles::Zeros(8)))}));
  auto a = BoxTree::Open(path, true);
  ASSERT_TRUE(a);
  EXPECT_NE(CheckJoinable(**a, **a).find("exactly one mvhd"), std::string::npos);
}

TEST_F(Joining, SumsPastFourGibibytesAreRefusedBeforeAnythingChanges) {
  auto a = BoxTree::Open(JoinCard()[0].main_path, true);
  auto b = BoxTree::Open(JoinCard()[1].main_path, true);
  ASSERT_TRUE(a && b);
  (*a)->List(BoxList::kMdat)[0]->payload_size = 0xFFFFF000u;
  std::string why;
  EXPECT_FALSE(MergeInto(**a, **b, &why));
  EXPECT_NE(why.find("4 GiB"), std::string::npos);
  EXPECT_EQ((*a)->GetFrameCount(), JoinCard()[0].main_frames);
  EXPECT_EQ((*a)->List(BoxList::kMdat)[0]->linked_head, nullptr);
}

TEST(JoinOutputNames, NeverEqualTheFrontName) {
  const auto shaped = JoinOutputs("/o/Main/A__-240301-101500-000001M.MOV");
  EXPECT_EQ(shaped.rear, "/o/Sub_/A__-240301-101500-000001S.MOV");
  EXPECT_EQ(shaped.data, "/o/Data/A__-240301-101500-000001D.ADA");
  const auto plain = JoinOutputs("/o/trip.MOV");
  EXPECT_EQ(plain.rear, "/o/trip-rear.MOV");
  EXPECT_EQ(plain.data, "/o/trip.ADA");
  const auto odd = JoinOutputs("/o/trip.ADA");
  EXPECT_NE(odd.rear, odd.front);
  EXPECT_NE(odd.data, odd.front);
  EXPECT_NE(odd.data, odd.rear);
}

}  // namespace
}  // namespace recording
