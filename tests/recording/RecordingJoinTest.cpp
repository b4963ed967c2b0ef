#include "recording/MovieBoxes.h"
#include "recording/RecordingJoin.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <map>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "platform/ByteOrder.h"
#include "platform/RecordingSink.h"
#include "platform/ScopedFileSystem.h"
#include "recording/CompanionPath.h"
#include "recording/MappedFileReader.h"
#include "recording/SensorDataFile.h"
#include "tools/samplecard/FrameStamp.h"
#include "tools/samplecard/SensorLog.h"

namespace recording {
namespace {

namespace fs = std::filesystem;
using samplecard::WrittenRecording;


// A card of ten short recordings with sound, made once for this program.
const std::vector<WrittenRecording>& JoinCard() {
  static testfiles::TempDir dir;  // removed when the test program ends
  static const std::vector<WrittenRecording> card = [] {
    samplecard::CardOptions o;
    o.recordings = 10;
    o.seconds = 1.0;
    o.gop = 10;
    auto written = samplecard::WriteSampleCard(dir.path() / "card", o);
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
  // Copies of the first n recordings (front, rear, data) under in/, for tests
  // that change or lose some of them; their front paths.
  std::vector<fs::path> Inputs(std::size_t n) {
    std::vector<fs::path> fronts;
    for (std::size_t i = 0; i < n; ++i) {
      const auto& r = JoinCard()[i];
      for (const auto& [from, sub] : {std::pair{r.main_path, "Main"}, {r.sub_path, "Sub_"}, {r.data_path, "Data"}}) {
        fs::create_directories(dir_ / "in" / sub);
        fs::copy_file(from, dir_ / "in" / sub / from.filename(), fs::copy_options::overwrite_existing);
      }
      fronts.push_back(dir_ / "in/Main" / r.main_path.filename());
    }
    return fronts;
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
  const auto fronts = Inputs(2);
  fs::remove(CompanionPath(fronts[1], Companion::kOtherCamera));
  const fs::path out = Output();
  ASSERT_TRUE(Join(fronts, out)) << join_.error();
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

// Records told apart by their index in bytes the viewer does not read.
std::vector<RawRecord> NumberedRecords(std::size_t first, std::size_t n) {
  std::vector<RawRecord> out(n, samplecard::FormatRecord({}));
  for (std::size_t i = 0; i < n; ++i) samplecard::PutNumber(out[i].data() + 78, 7, static_cast<double>(first + i), 0);
  return out;
}

TEST_F(Joining, ThreeHundredThousandRecordsGetTheLongCountAndReadBackWhole) {
  // 37 MB of records: past the 32 MiB that one mapped view holds.
  constexpr std::size_t kEach = 150000;
  const auto fronts = Inputs(2);
  std::vector<RawRecord> all;
  for (std::size_t i = 0; i < 2; ++i) {
    const auto records = NumberedRecords(i * kEach, kEach);
    testfiles::WriteFile(DataPath(fronts[i]), samplecard::FormatBlock({}, records));
    all.insert(all.end(), records.begin(), records.end());
  }
  const fs::path out = Output();
  // An older data file of the same name is replaced.
  testfiles::WriteFile(JoinOutputs(out).data, testfiles::Text("old"));
  ASSERT_TRUE(Join(fronts, out)) << join_.error();
  EXPECT_TRUE(join_.notes().empty());
  const auto bytes = testfiles::ReadFile(JoinOutputs(out).data);
  ASSERT_EQ(bytes.size(), 34 + 124 * 2 * kEach + 6 + 4);
  EXPECT_EQ(platform::LoadBE16(bytes.data() + 32), 0xFFFF);
  EXPECT_EQ(platform::LoadBE32(bytes.data() + bytes.size() - 4), 2 * kEach);
  SensorDataFile data;
  ASSERT_TRUE(data.Load(JoinOutputs(out).data)) << data.last_error();
  EXPECT_EQ(data.gps().size(), 2 * kEach) << "the viewer reads up to the end marker";
  auto again = ReadSensorDataForJoin(JoinOutputs(out).data);
  ASSERT_TRUE(again) << again.error();
  EXPECT_TRUE(again->records == all) << "every record once, in order";
}

TEST_F(Joining, ADataFileWithLeadingBoxesIsJoinedAsTheViewerReadsIt) {
  const auto fronts = Inputs(2);
  const auto block = testfiles::ReadFile(DataPath(fronts[1]));
  testfiles::WriteFile(DataPath(fronts[1]), testfiles::Concat({testfiles::Box("free", testfiles::Zeros(20)), block}));
  SensorDataFile viewer;
  ASSERT_TRUE(viewer.Load(DataPath(fronts[1])));
  ASSERT_EQ(static_cast<int>(viewer.gps().size()), JoinCard()[1].records);
  const fs::path out = Output();
  ASSERT_TRUE(Join(fronts, out)) << join_.error();
  EXPECT_TRUE(join_.data_valid()) << join_.notes().back();
  SensorDataFile joined;
  ASSERT_TRUE(joined.Load(JoinOutputs(out).data));
  EXPECT_EQ(static_cast<int>(joined.gps().size()), JoinCard()[0].records + JoinCard()[1].records);
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
  // The join is unusable now: writing it would leave out a recording.
  EXPECT_FALSE(join_.Add(JoinCard()[2].main_path));
  EXPECT_FALSE(join_.Write(out));
  EXPECT_NE(join_.error().find("could not be added"), std::string::npos) << join_.error();
  EXPECT_EQ(OutputFiles(), 0u);
}

TEST_F(Joining, CallsOutOfOrderAreRefusedAndAWrittenJoinIsNotReadAgain) {
  const fs::path out = Output();
  EXPECT_FALSE(join_.Add(JoinCard()[1].main_path));
  EXPECT_NE(join_.error().find("no join was started"), std::string::npos) << join_.error();
  EXPECT_FALSE(join_.Write(out));
  EXPECT_EQ(OutputFiles(), 0u);
  ASSERT_TRUE(join_.Start(JoinCard()[0].main_path));
  EXPECT_FALSE(join_.Start(JoinCard()[1].main_path)) << "a second Start without Free";
  ASSERT_TRUE(join_.Add(JoinCard()[1].main_path)) << join_.error();
  ASSERT_TRUE(join_.Write(out)) << join_.error();
  const auto written = testfiles::ReadFile(out);
  // The joined front still chains into the added recordings' media data.
  EXPECT_FALSE(join_.Write(out));
  EXPECT_NE(join_.error().find("refused"), std::string::npos) << join_.error();
  EXPECT_FALSE(join_.Add(JoinCard()[2].main_path));
  EXPECT_EQ(testfiles::ReadFile(out), written);
  join_.Free();
  ASSERT_TRUE(join_.Start(JoinCard()[2].main_path)) << join_.error();
  ASSERT_TRUE(join_.Write(out)) << join_.error();
  EXPECT_EQ(testfiles::ReadFile(out), testfiles::ReadFile(JoinCard()[2].main_path));
}

// The rename of a new output file onto its name fails; a backup can still
// be put back there.
void FailPlacing(testfiles::FakeFileSystem& fake, const fs::path& name) {
  fake.rename_fails = [name](const fs::path& from, const fs::path& to) {
    return to == name && from.filename().string().find(".part-") != std::string::npos;
  };
}

// Where putting the output set in place goes wrong.
struct SetFault {
  const char* name;
  void (*inject)(testfiles::FakeFileSystem& fake, const JoinOutputPaths& out);
  friend void PrintTo(const SetFault& f, std::ostream* os) { *os << f.name; }
};

class OutputSetFaults : public Joining, public ::testing::WithParamInterface<SetFault> {};

TEST_P(OutputSetFaults, LeaveTheEarlierSetWholeAndNoOtherFile) {
  const fs::path out = Output();
  const JoinOutputPaths paths = JoinOutputs(out);
  const std::pair<fs::path, const char*> earlier[] = {
      {paths.front, "earlier front"}, {paths.rear, "earlier rear"}, {paths.data, "earlier data"}};
  for (const auto& [path, text] : earlier) testfiles::WriteFile(path, testfiles::Text(text));
  {
    testfiles::FakeFileSystem fake;
    GetParam().inject(fake, paths);
    platform::ScopedFileSystem scoped(fake);
    EXPECT_FALSE(Join(Fronts(2), out));
    EXPECT_FALSE(join_.error().empty());
  }
  for (const auto& [path, text] : earlier) EXPECT_EQ(testfiles::ReadFile(path), testfiles::Text(text)) << path;
  EXPECT_EQ(OutputFiles(), 3u) << "no temporary file or backup is left";
  // Without the fault the same join replaces all three.
  ASSERT_TRUE(join_.Write(out)) << join_.error();
  for (const auto& [path, text] : earlier) EXPECT_NE(testfiles::ReadFile(path), testfiles::Text(text)) << path;
  EXPECT_EQ(OutputFiles(), 3u);
  auto rear = BoxTree::Open(paths.rear, false);
  ASSERT_TRUE(rear) << rear.error();
  EXPECT_EQ((*rear)->GetFrameCount(), JoinCard()[0].sub_frames + JoinCard()[1].sub_frames);
}

INSTANTIATE_TEST_SUITE_P(
    Join, OutputSetFaults,
    ::testing::Values(
        SetFault{"rear_cannot_be_created", [](auto& fake, const auto& out) { fake.unwritable_outputs.insert(out.rear); }},
        SetFault{"data_cannot_be_created", [](auto& fake, const auto& out) { fake.unwritable_outputs.insert(out.data); }},
        SetFault{"front_not_put_in_place", [](auto& fake, const auto& out) { FailPlacing(fake, out.front); }},
        SetFault{"rear_not_put_in_place", [](auto& fake, const auto& out) { FailPlacing(fake, out.rear); }},
        SetFault{"data_not_put_in_place", [](auto& fake, const auto& out) { FailPlacing(fake, out.data); }},
        SetFault{"earlier_data_not_moved_aside", [](auto& fake, const auto& out) { fake.unrenamable.insert(out.data); }}),
    [](const auto& info) { return std::string(info.param.name); });

// An output whose name, or a derived companion's name, is a file of the join.
struct ClashCase {
  const char* name;
  fs::path (*output)(const fs::path& dir, const std::vector<fs::path>& fronts);
  friend void PrintTo(const ClashCase& c, std::ostream* os) { *os << c.name; }
};

class OutputClashes : public Joining, public ::testing::WithParamInterface<ClashCase> {};

TEST_P(OutputClashes, AreRefusedAndTouchNoInput) {
  const auto fronts = Inputs(2);
  const fs::path out = GetParam().output(dir_.path(), fronts);
  std::map<fs::path, testfiles::Bytes> before;
  for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
    if (e.is_regular_file()) before[e.path()] = testfiles::ReadFile(e.path());
  }
  EXPECT_FALSE(Join(fronts, out));
  EXPECT_NE(join_.error().find("being joined"), std::string::npos) << join_.error();
  std::map<fs::path, testfiles::Bytes> after;
  for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
    if (e.is_regular_file()) after[e.path()] = testfiles::ReadFile(e.path());
  }
  EXPECT_TRUE(after == before) << "no file changed, none was added";
}

INSTANTIATE_TEST_SUITE_P(
    Join, OutputClashes,
    ::testing::Values(
        ClashCase{"the_first_front", [](const fs::path&, const auto& fronts) { return fronts[0]; }},
        ClashCase{"the_second_front", [](const fs::path&, const auto& fronts) { return fronts[1]; }},
        // Its rear is the Main file: the cameras would swap.
        ClashCase{"a_rear_file", [](const fs::path&, const auto& fronts) {
                    return CompanionPath(fronts[1], Companion::kOtherCamera);
                  }},
        ClashCase{"a_hard_link_to_a_front", [](const fs::path& dir, const auto& fronts) {
                    fs::create_hard_link(fronts[0], dir / "trip.MOV");
                    return dir / "trip.MOV";
                  }},
        ClashCase{"a_front_through_a_linked_folder", [](const fs::path& dir, const auto& fronts) {
                    fs::create_directory_symlink(dir / "in", dir / "alias");
                    return dir / "alias/Main" / fronts[0].filename();
                  }},
        // Sub_/...M.MOV: its own name and its rear's are free, its data is an input's.
        ClashCase{"only_the_derived_data_file", [](const fs::path&, const auto& fronts) {
                    return fronts[0].parent_path().parent_path() / "Sub_" / fronts[0].filename();
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Joining, ARejoinThatDropsPartsRemovesTheEarlierJoinsFilesOfThem) {
  const auto fronts = Inputs(2);
  const fs::path out = Output();
  const JoinOutputPaths paths = JoinOutputs(out);
  ASSERT_TRUE(Join(fronts, out)) << join_.error();
  ASSERT_TRUE(fs::exists(paths.rear) && fs::exists(paths.data));
  // The second recording loses its rear file, and its data file is cut short.
  fs::remove(CompanionPath(fronts[1], Companion::kOtherCamera));
  fs::resize_file(DataPath(fronts[1]), 100);
  const auto earlier_rear = testfiles::ReadFile(paths.rear);
  {
    // Removing them belongs to the set: a failed set keeps them.
    testfiles::FakeFileSystem fake;
    FailPlacing(fake, paths.front);
    platform::ScopedFileSystem scoped(fake);
    EXPECT_FALSE(Join(fronts, out));
    EXPECT_EQ(testfiles::ReadFile(paths.rear), earlier_rear);
    EXPECT_TRUE(fs::exists(paths.data));
  }
  ASSERT_TRUE(join_.Write(out)) << join_.error();
  EXPECT_FALSE(join_.rear_valid());
  EXPECT_FALSE(join_.data_valid());
  EXPECT_FALSE(fs::exists(paths.rear)) << "another join's rear camera";
  EXPECT_FALSE(fs::exists(paths.data)) << "another join's GPS";
  EXPECT_EQ(OutputFiles(), 1u);
}

TEST_F(Joining, ANameNotOfTheRecordersShapeIsNotItsOwnRear) {
  const fs::path trip = dir_ / "trip.MOV";
  fs::copy_file(JoinCard()[0].main_path, trip);
  fs::create_directories(dir_ / "out");
  const fs::path out = dir_ / "out/joined.MOV";
  ASSERT_TRUE(Join({trip}, out)) << join_.error();
  EXPECT_FALSE(join_.rear_valid());
  ASSERT_FALSE(join_.notes().empty());
  EXPECT_NE(join_.notes()[0].find("not a recorder's"), std::string::npos) << join_.notes()[0];
  EXPECT_FALSE(fs::exists(JoinOutputs(out).rear));
  EXPECT_EQ(testfiles::ReadFile(out), testfiles::ReadFile(trip));
}

TEST_F(Joining, AFileSizeLimitFailsTheWriteAndLeavesNoFile) {
  const auto fronts = Fronts(2);
  const fs::path out = Output();
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // A fresh process under "ulimit -f 16".
    close(pipe_fds[0]);
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{16 * 1024, 16 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    RecordingJoin join(nullptr);
    const bool ok = join.Start(fronts[0]) && join.Add(fronts[1]) && join.Write(out);
    const std::string why = join.error();
    const bool told = write(pipe_fds[1], why.data(), why.size()) == static_cast<ssize_t>(why.size());
    _exit(ok ? 1 : told ? 0 : 2);
  }
  close(pipe_fds[1]);
  std::string why;
  char buffer[512];
  for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0;) why.append(buffer, static_cast<std::size_t>(n));
  close(pipe_fds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must fail and say why";
  EXPECT_NE(why.find("File too large"), std::string::npos) << why;
  EXPECT_EQ(OutputFiles(), 0u);
}

TEST_F(Joining, TheToolAsksBeforeReplacingAnOutput) {
  const fs::path out = Output();
  const std::string join = std::string("'") + BRENNOVALE_JOIN + "' ";
  const std::string inputs = " '" + JoinCard()[0].main_path.string() + "' '" + JoinCard()[1].main_path.string() + "'";
  const std::string quiet = " >/dev/null 2>&1";
  int status = -1;
  testfiles::Run(join + "'" + out.string() + "'" + inputs + " </dev/null" + quiet, &status);
  EXPECT_EQ(status, 0) << "nothing to replace, nothing asked";
  const auto joined = testfiles::ReadFile(out);
  testfiles::WriteFile(out, testfiles::Text("an older join"));
  for (const char* answer : {"n", "", "no"}) {
    testfiles::Run(std::string("printf '") + answer + "\n' | " + join + "'" + out.string() + "'" + inputs + quiet,
                   &status);
    EXPECT_EQ(status, 1) << answer;
    EXPECT_EQ(testfiles::ReadFile(out), testfiles::Text("an older join")) << answer;
  }
  testfiles::Run(join + "'" + out.string() + "'" + inputs + " </dev/null" + quiet, &status);
  EXPECT_EQ(status, 1) << "no answer is no";
  testfiles::Run("printf 'y\n' | " + join + "'" + out.string() + "'" + inputs + quiet, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(testfiles::ReadFile(out), joined);
  testfiles::WriteFile(JoinOutputs(out).data, testfiles::Text("an older data file"));
  testfiles::Run(join + "--force '" + out.string() + "'" + inputs + " </dev/null" + quiet, &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(testfiles::ReadFile(JoinOutputs(out).data), testfiles::Text("an older data file"));
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

void SetBe32(BoxNode& n, std::size_t offset, std::uint32_t v) { platform::StoreBE32(n.payload.data() + offset, v); }

// Sample tables edited in the trees of two good recordings.
struct TableCase {
  const char* name;
  void (*edit)(BoxTree& a, BoxTree& b);
  const char* reason;
  friend void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }
};

class SampleTableFaults : public Joining, public ::testing::WithParamInterface<TableCase> {};

TEST_P(SampleTableFaults, AreRefusedBeforeAnythingChanges) {
  auto a = BoxTree::Open(JoinCard()[0].main_path, true);
  auto b = BoxTree::Open(JoinCard()[1].main_path, true);
  ASSERT_TRUE(a && b);
  GetParam().edit(**a, **b);
  const std::vector<std::uint8_t> stss_before = (*a)->List(BoxList::kStss)[0]->payload;
  std::string why;
  EXPECT_FALSE(MergeInto(**a, **b, &why));
  EXPECT_NE(why.find(GetParam().reason), std::string::npos) << why;
  EXPECT_EQ((*a)->List(BoxList::kStss)[0]->payload, stss_before);
  EXPECT_EQ((*a)->List(BoxList::kMdat)[0]->linked_head, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Join, SampleTableFaults,
    ::testing::Values(
        // The sound track's stsz has a constant size and no entries.
        TableCase{"constant_size_sample_count_wraps",
                  [](BoxTree& a, BoxTree&) { SetBe32(*a.List(BoxList::kStsz)[1], 8, 0xFFFFFFF0u); }, "32 bits"},
        TableCase{"sync_sample_plus_shift_wraps",
                  [](BoxTree&, BoxTree& b) { SetBe32(*b.List(BoxList::kStss)[0], 8, 0xFFFFFFF0u); }, "32 bits"},
        TableCase{"sync_sample_past_the_sample_count",
                  [](BoxTree&, BoxTree& b) {
                    BoxNode& stss = *b.List(BoxList::kStss)[0];
                    SetBe32(stss, 8 + 4 * (Be32(stss, 4) - 1), Be32(*b.List(BoxList::kStts)[0], 8) + 1);
                  },
                  "is not one of its"},
        TableCase{"sync_sample_zero_in_the_first", [](BoxTree& a, BoxTree&) { SetBe32(*a.List(BoxList::kStss)[0], 8, 0); },
                  "sync sample 0"},
        TableCase{"stts_and_stsz_count_differently",
                  [](BoxTree&, BoxTree& b) {
                    BoxNode& stsz = *b.List(BoxList::kStsz)[0];
                    SetBe32(stsz, 8, Be32(stsz, 8) - 1);
                  },
                  "count different samples"}),
    [](const auto& info) { return std::string(info.param.name); });

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
